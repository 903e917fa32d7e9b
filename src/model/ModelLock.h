#pragma once
// The model lock: a short mutex that makes an edit and a scan (or a received record being stored)
// mutually exclusive, so a scan never reads a half-written multi-byte field.
//
// Rules:
//  - hold it only for the stores or the comparison themselves: never across I/O, a pause, a modal
//    dialog, or a call that takes another lock;
//  - lock order: the send lock first, then the model lock; never the reverse.
//
// UI code edits the model through EditModel:
//     EditModel([&] { image.MusicLeft.EqBypass = 1; });
#include <mutex>
#include <utility>

namespace pavo {

std::mutex& ModelLock();

template <class F>
decltype(auto) EditModel(F&& edit) {
    std::lock_guard<std::mutex> guard(ModelLock());
    return std::forward<F>(edit)();
}

}  // namespace pavo
