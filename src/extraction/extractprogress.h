#pragma once
// Where one extraction worker stands and whether it is asked to stop. Each field has one
// writer and is read by other threads for display only, so relaxed atomics are enough.
#include <atomic>

#include <QtGlobal>

#include "base/result.h"

class DVDAObject;

struct ExtractProgress {
    std::atomic<bool> stopRequested{false};
    std::atomic<ResultCode> lastResult{ResultCode::Succeeded};
    std::atomic<qint32> titleset{0};
    std::atomic<qint32> title{0};
    std::atomic<qint32> track{0};
    std::atomic<qint32> index{0};
    std::atomic<qint32> firstBlock{0};
    std::atomic<qint32> currentBlock{0};
    std::atomic<qint32> lastBlock{0};
    std::atomic<bool> waiting{false};
    // The object being dumped, null between objects; the blocks above are its own.
    std::atomic<const DVDAObject *> object{nullptr};
};
