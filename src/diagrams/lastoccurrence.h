#pragma once

#include "diagrams/diagramoptions.h"
#include "model/paralleltasks.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Demagora {

// No key has a place of its own: every request goes through the hash table.
template <class Key> struct NoDenseIndex
{
    static constexpr std::size_t None = SIZE_MAX;
    std::size_t size() const { return 0; }
    std::size_t index(const Key &) const { return None; }
    Key key(std::size_t) const { return {}; }
};

// Records drawing operations in the order they are asked for and keeps, of every set of equal
// ones, only the last. Drawing the kept ones in the order of their last request gives the
// same pixels as drawing every request: an opaque operation repeated later covers its earlier
// copy and whatever was drawn over it in between. A long run asks for the same short segment
// or symbol on the same pixels again and again; the work of drawing then grows with the
// distinct operations, which the pixels bound, and no longer with the points of the run.
//
// Key needs ==; Hash gives a 64-bit hash of a key. Dense gives the common keys (a symbol on
// the panel, a segment to a neighbouring pixel) a place of their own among size() places, so
// that their requests cost one write; the rest go through the hash table.
template <class Key, class Hash, class Dense = NoDenseIndex<Key>> class LastOccurrence
{
public:
    explicit LastOccurrence(Dense dense = {})
        : m_dense(dense)
    { }

    void add(const Key &key)
    {
        // Orders of places are kept in 32 bits; a count of requests beyond that (more than
        // any run the program accepts asks for) goes on through the hash table.
        if (m_next < DenseOrderLimit) {
            const std::size_t place = m_dense.index(key);
            if (place != Dense::None) {
                if (m_places.empty())
                    m_places.assign(m_dense.size(), 0);
                if (m_places[place] == 0)
                    m_placesUsed.push_back(place);
                m_places[place] = static_cast<std::uint32_t>(++m_next);
                return;
            }
        }
        if (2 * (m_entries.size() + 1) > m_slots.size())
            grow();
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t slot = Hash {}(key)&mask;; slot = (slot + 1) & mask) {
            const std::uint32_t entry = m_slots[slot];
            if (entry == Empty) {
                m_slots[slot] = static_cast<std::uint32_t>(m_entries.size());
                m_entries.push_back({ key, ++m_next });
                return;
            }
            if (m_entries[entry].key == key) {
                m_entries[entry].order = ++m_next;
                return;
            }
        }
    }

    bool empty() const { return m_entries.empty() && m_placesUsed.empty(); }

    const Dense &denseIndex() const { return m_dense; }

    // Forgets every request without drawing.
    void clear()
    {
        m_entries.clear();
        m_slots.assign(InitialSlots, Empty);
        for (const std::size_t place : m_placesUsed)
            m_places[place] = 0;
        m_placesUsed.clear();
        m_next = 0;
    }

    // Takes over other's requests as if they had been made here after the ones before;
    // empties other.
    void append(LastOccurrence &other)
    {
        other.drain([this](const Key &key) { add(key); });
    }

    // Hands the kept keys to draw in the order of their last request and starts afresh.
    template <class Draw> void drain(Draw &&draw)
    {
        m_entries.reserve(m_entries.size() + m_placesUsed.size());
        for (const std::size_t place : m_placesUsed)
            m_entries.push_back({ m_dense.key(place), m_places[place] });
        std::sort(m_entries.begin(), m_entries.end(),
            [](const Entry &a, const Entry &b) { return a.order < b.order; });
        for (const Entry &entry : m_entries)
            draw(entry.key);
        clear();
    }

private:
    static constexpr std::uint32_t Empty = UINT32_MAX;
    static constexpr std::size_t InitialSlots = 64;
    static constexpr std::uint64_t DenseOrderLimit = UINT32_MAX;

    struct Entry
    {
        Key key;
        std::uint64_t order;
    };

    void grow()
    {
        const std::size_t size = std::max(InitialSlots, 2 * m_slots.size());
        m_slots.assign(size, Empty);
        const std::size_t mask = size - 1;
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            std::size_t slot = Hash {}(m_entries[i].key) & mask;
            while (m_slots[slot] != Empty)
                slot = (slot + 1) & mask;
            m_slots[slot] = static_cast<std::uint32_t>(i);
        }
    }

    Dense m_dense;
    std::vector<Entry> m_entries;
    std::vector<std::uint32_t> m_slots;
    // Per place the order of its last request, 0 for none; allocated with the first.
    std::vector<std::uint32_t> m_places;
    // The places with a request.
    std::vector<std::size_t> m_placesUsed;
    std::uint64_t m_next = 0;
};

// Makes the requests of items 0 to count - 1 on target as if record(item, target) were called
// for each item in turn. The items are shared out among the cores in consecutive chunks, each
// recorded on its own and then appended in order: the kept requests and their order are the
// same. False once cancelled is set; target is then incomplete.
template <class Key, class Hash, class Dense, class Record>
bool recordInOrder(LastOccurrence<Key, Hash, Dense> &target, std::size_t count, Record &&record,
    const std::atomic<bool> *cancelled)
{
    const auto stopped
        = [cancelled] { return cancelled && cancelled->load(std::memory_order_relaxed); };
    const unsigned threads = std::max(1U, std::thread::hardware_concurrency());
    const std::size_t chunkCount = std::min<std::size_t>(count, 4 * std::size_t { threads });
    if (chunkCount <= 1 || threads == 1) {
        for (std::size_t item = 0; item < count; ++item) {
            if (stopped())
                return false;
            record(item, target);
        }
        return true;
    }
    std::vector<LastOccurrence<Key, Hash, Dense>> chunks(
        chunkCount, LastOccurrence<Key, Hash, Dense>(target.denseIndex()));
    const auto recordChunk = [&](std::size_t chunk) {
        const std::size_t first = count * chunk / chunkCount;
        const std::size_t last = count * (chunk + 1) / chunkCount;
        for (std::size_t item = first; item < last && !stopped(); ++item)
            record(item, chunks[chunk]);
    };
    if (!runParallelTasks(
            chunkCount, threads, recordChunk, [] {}, stopped)
        || stopped())
        return false;
    for (auto &chunk : chunks)
        target.append(chunk);
    return true;
}

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

// A 64-bit mix of up to four 32-bit values, good enough for open addressing.
inline std::uint64_t mixHash(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t h = a * 0x9E3779B97F4A7C15ULL ^ (b + 0x632BE59BD9B4E019ULL);
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    return h ^ (h >> 32);
}

} // namespace Demagora
