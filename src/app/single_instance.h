// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One running copy per user and display: two would both react to every hot
// key and both write param.txt. A later start hands its request over to the
// running copy ("show", or a capture of the command line) and ends.

#include <QObject>
#include <functional>
#include <memory>
#include <string>

namespace vis {

class SingleInstance final : public QObject {
public:
    SingleInstance();
    ~SingleInstance() override;

    enum class Outcome {
        HandedOver,  // a running copy took the request: this one can end
        Serve,       // none runs: this copy starts and serves the channel
        Silent,      // one runs but does not answer
    };
    // Needs no toolkit: asked before the display is opened.
    Outcome handOver(const std::string& word);
    // Why there is no channel (one line, French), or nothing.
    const std::string& problem() const;

    // After handOver said Serve, with the application built: from now on
    // later starts' requests are taken, and handed to the handler once it
    // is set (the event loop runs them).
    void serve();
    void setHandler(std::function<void(const std::string& word)> onRequest);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace vis
