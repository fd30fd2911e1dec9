// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "output/atomic_file.h"
#include "output/encode_image.h"
#include "platform/services.h"

namespace vis {

// One save under way. The workers encode the captures (the conversion to the
// encoder's input included) and write each file's data to disk, as many at a
// time as there are workers, so that no more than one picture per worker is
// ever held on top of the captures. The event loop's thread only starts the
// jobs and takes their results: in the collection's order it gives each file
// its name (an automatic name: a rename, so a file appears whole and in
// order) and reports it written; the folder is flushed once, at the end.
// A failure stops the run at the file that failed: the files after it never
// get their name, and what was written for them is removed.
class SaveRun : public std::enable_shared_from_this<SaveRun> {
public:
    struct Item {
        Bitmap picture;
        int numero = 0;      // the capture's number when the save started
        std::string target;  // a name chosen by the user; empty: an automatic name, given at its turn
    };
    struct Outcome {
        bool ok = true;
        std::optional<std::size_t> failed;  // the item that failed (none: the folder's flush did)
        std::string failedName;             // the name it was to have
        std::size_t written = 0;
        std::string lastWritten;
    };

    SaveRun(IBackgroundJobs& jobs, std::vector<Item> items, std::filesystem::path folder, ImageFormat format,
            int quality);

    // All on the event loop's thread. The automatic name of an item, asked
    // when its turn comes (the time of day is read then).
    std::function<std::string(const Item&)> nameFor;
    std::function<void(const Item&, const std::string& name)> onWritten;
    // Once, after the last job. The run may be let go from there.
    std::function<void(const Outcome&)> onOver;

    void begin();
    std::size_t size() const { return items_.size(); }

private:
    struct Result {
        bool finished = false;
        bool ok = false;
        std::optional<std::filesystem::path> temporary;  // automatic names: the data, not named yet
    };
    void startJob(std::size_t i);
    void pump();
    void commit(std::size_t i);
    void fail(std::size_t i, std::string name);
    void finish();

    IBackgroundJobs& jobs_;
    std::vector<Item> items_;
    std::vector<std::shared_ptr<Result>> results_;
    std::filesystem::path folder_;
    ImageFormat format_;
    int quality_;
    std::size_t started_ = 0, named_ = 0;
    int running_ = 0;
    bool pumping_ = false, again_ = false, finishing_ = false;
    Outcome outcome_;
};

}  // namespace vis
