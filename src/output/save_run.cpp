// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/save_run.h"

#include <algorithm>
#include <system_error>

#include "output/naming.h"

namespace vis {

SaveRun::SaveRun(IBackgroundJobs& jobs, std::vector<Item> items, std::filesystem::path folder, ImageFormat format,
                 int quality)
    : jobs_(jobs), items_(std::move(items)), folder_(std::move(folder)), format_(format), quality_(quality) {
    for (std::size_t i = 0; i < items_.size(); ++i) results_.push_back(std::make_shared<Result>());
}

void SaveRun::begin() { pump(); }

void SaveRun::startJob(std::size_t i) {
    ++running_;
    const std::shared_ptr<Result> result = results_[i];
    // The work has copies of its own (the picture is shared and never
    // changes) and writes nothing but its result.
    jobs_.start(
        [result, picture = items_[i].picture, target = items_[i].target, folder = folder_, format = format_,
         quality = quality_] {
            const std::optional<FileContent> content = encodeImage(picture, format, quality);
            if (!content) return;
            if (target.empty()) {
                result->temporary = writeTemporary(folder, content->bytes());
                result->ok = result->temporary.has_value();
            } else {
                result->ok = writeFile(utf8Path(target), content->bytes()) == WriteResult::Written;
            }
        },
        [self = shared_from_this(), result] {
            result->finished = true;
            --self->running_;
            self->pump();
        });
}

// Completions may come back inside start() itself (a platform that runs jobs
// at once): the loop then goes round again instead of nesting.
void SaveRun::pump() {
    if (pumping_) {
        again_ = true;
        return;
    }
    const std::shared_ptr<SaveRun> self = shared_from_this();
    pumping_ = true;
    const auto workers = static_cast<int>(std::max(1, jobs_.workerCount()));
    do {
        again_ = false;
        while (outcome_.ok && named_ < items_.size() && results_[named_]->finished) commit(named_++);
        while (outcome_.ok && started_ < items_.size() && running_ < workers) {
            startJob(started_++);
            if (again_) break;  // name what came back first
        }
    } while (again_);
    pumping_ = false;
    if (running_ == 0 && !finishing_ && (!outcome_.ok || named_ == items_.size())) finish();
}

void SaveRun::commit(std::size_t i) {
    Result& r = *results_[i];
    const Item& item = items_[i];
    if (!item.target.empty()) {
        if (!r.ok) return fail(i, item.target);
        ++outcome_.written;
        outcome_.lastWritten = item.target;
        if (onWritten) onWritten(item, item.target);
        return;
    }
    const std::string nom = nameFor ? nameFor(item) : std::string();
    if (!r.ok) return fail(i, nom);
    // Nothing found under the chosen name is ever replaced: in a shared
    // folder it may be someone else's file or link. A name taken meanwhile
    // sends the file to the next free one.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string candidate = nomLibre(nom);
        const WriteResult w = renameEntry(*r.temporary, utf8Path(candidate), false);
        if (w == WriteResult::Written) {
            r.temporary.reset();
            ++outcome_.written;
            outcome_.lastWritten = candidate;
            if (onWritten) onWritten(item, candidate);
            return;
        }
        if (w == WriteResult::Failed) break;
    }
    fail(i, nom);
}

void SaveRun::fail(std::size_t i, std::string name) {
    outcome_.ok = false;
    outcome_.failed = i;
    outcome_.failedName = std::move(name);
}

void SaveRun::finish() {
    finishing_ = true;
    const bool automatic = !items_.empty() && items_.front().target.empty();
    if (!automatic) {
        if (onOver) onOver(outcome_);
        return;
    }
    // What the files after a failure left, gone; the new names made durable,
    // once for the folder.
    std::vector<std::filesystem::path> leftovers;
    for (const auto& r : results_)
        if (r->temporary) leftovers.push_back(*r->temporary);
    auto flushed = std::make_shared<bool>(true);
    ++running_;
    jobs_.start(
        [folder = folder_, leftovers, flushed, written = outcome_.written] {
            std::error_code ec;
            for (const auto& p : leftovers) std::filesystem::remove(p, ec);
            removeStaleTemporaries(folder);
            if (written > 0) *flushed = flushFolder(folder);
        },
        [self = shared_from_this(), flushed] {
            --self->running_;
            // Named, but not known to be on the disk: not called saved.
            if (!*flushed && self->outcome_.ok) self->outcome_.ok = false;
            if (self->onOver) self->onOver(self->outcome_);
        });
}

}  // namespace vis
