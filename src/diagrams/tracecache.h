#pragma once

#include "diagrams/diagramoptions.h"
#include "diagrams/lastoccurrence.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

namespace Demagora {

// The record of one paint's unlabelled paths or symbols, kept for the next paint that traces
// the same: a change of labels or legend then repaints without going over every point again.
// Safe to use from several painting threads.
class TraceCache
{
public:
    // What a record depends on besides the run: the panel, its scale, the vectors traced
    // and the drawing options.
    struct Key
    {
        int size = -1;
        double scale = 0;
        int first = 0;
        int end = 0;
        DiagramOptions options;
        bool operator==(const Key &) const = default;
    };

    template <class Record> std::shared_ptr<const Record> find(const Key &key) const
    {
        const std::lock_guard lock(m_mutex);
        return m_record && key == m_key ? std::static_pointer_cast<const Record>(m_record)
                                        : nullptr;
    }

    template <class Record> void store(const Key &key, std::shared_ptr<const Record> record)
    {
        const std::lock_guard lock(m_mutex);
        m_key = key;
        m_record = std::move(record);
    }

private:
    mutable std::mutex m_mutex;
    Key m_key;
    std::shared_ptr<const void> m_record;
};

// The ordered tracing both the vector diagram and the stereogram of results use: draws the
// unlabelled items 0 to count - 1 (paths or symbols, no label between them) onto drawer as if
// each were drawn in turn, taking what cache keeps under key or else recording the items on
// every core through record(item, into) and keeping the result in the cache. Drawer has
// record(), draw(keys) and abandon(), as OrderedLines and SymbolPainter do. False, with
// nothing drawn, once cancelled is set.
template <class Drawer, class Record>
bool drawTracedInOrder(Drawer &drawer, TraceCache *cache, const TraceCache::Key &key,
    std::size_t count, Record &&record, const std::atomic<bool> *cancelled)
{
    using Recording = std::remove_reference_t<decltype(drawer.record())>;
    using Keys = std::vector<typename Recording::KeyType>;
    // Drawn first, the last of equal operations in order leave the pixels drawing them all
    // would, whatever the labelled item after them then draws.
    std::shared_ptr<const Keys> traced = cache ? cache->find<Keys>(key) : nullptr;
    if (!traced) {
        Recording recording(drawer.record().denseIndex());
        if (!recordInOrder(recording, count, std::forward<Record>(record), cancelled)) {
            drawer.abandon();
            return false;
        }
        auto ordered = std::make_shared<Keys>();
        recording.drain([&](const auto &k) { ordered->push_back(k); });
        traced = std::move(ordered);
        if (cache)
            cache->store(key, traced);
    }
    drawer.draw(*traced);
    return true;
}

} // namespace Demagora
