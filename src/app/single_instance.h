// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One running copy per user and display: two would both react to every hot
// key and both write param.txt. A second start hands over to the first.

#include <QObject>
#include <functional>

class QLocalServer;

namespace vis {

class SingleInstance final : public QObject {
public:
    explicit SingleInstance(QString name);
    // The name for this user on this display.
    static QString defaultName();

    // True when a copy already runs: it has been asked to show its windows.
    bool handOver();
    // From now on, a later start calls onShowRequest here.
    void listen(std::function<void()> onShowRequest);

private:
    QString name_;
    QLocalServer* server_ = nullptr;
    std::function<void()> onShow_;
};

}  // namespace vis
