#pragma once

#include "model/paralleltasks.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
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
// that they need no hash table; the rest are numbered through it.
//
// Requests are appended as numbers, one after the other. Now and then the list is walked back
// from its newest request and only the first meeting of each number, its last request, is
// kept: memory stays bounded by the distinct operations, and a request costs an append rather
// than a jump into a table as large as the places, which a long run would keep missing in the
// processor's caches.
template <class Key, class Hash, class Dense = NoDenseIndex<Key>> class LastOccurrence
{
public:
    using KeyType = Key;

    explicit LastOccurrence(Dense dense = {})
        : m_dense(dense)
        , m_denseSize(dense.size())
    { }

    // Records key if wanted. A request that is not wanted costs no branch when the key has
    // a place: callers can leave out requests by a condition the processor could not guess.
    [[gnu::always_inline]] void add(const Key &key, bool wanted = true)
    {
        const std::size_t place = m_dense.index(key);
        if (place == Dense::None && !wanted)
            return;
        if (m_count == m_requests.size())
            m_requests.resize(std::max<std::size_t>(64, 2 * m_count));
        m_requests[m_count] = place != Dense::None ? place : m_denseSize + numberOf(key);
        m_count += wanted ? 1 : 0;
        if (m_count >= m_compactAt)
            compact();
    }

    bool empty() const { return m_count == 0; }

    const Dense &denseIndex() const { return m_dense; }

    // Forgets every request without drawing.
    void clear()
    {
        m_count = 0;
        m_keys.clear();
        m_slots.assign(InitialSlots, Empty);
        m_compactAt = CompactFrom;
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
        compact();
        for (std::size_t i = 0; i < m_count; ++i) {
            const std::size_t number = m_requests[i];
            draw(number < m_denseSize ? m_dense.key(number) : m_keys[number - m_denseSize]);
        }
        clear();
    }

private:
    static constexpr std::uint32_t Empty = UINT32_MAX;
    static constexpr std::size_t InitialSlots = 64;
    // Requests gathered before the first walk back: a few megabytes.
    static constexpr std::size_t CompactFrom = std::size_t { 1 } << 19;

    // The number of a key without a place: its index among the distinct ones seen.
    std::size_t numberOf(const Key &key)
    {
        if (2 * (m_keys.size() + 1) > m_slots.size())
            grow();
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t slot = Hash {}(key)&mask;; slot = (slot + 1) & mask) {
            const std::uint32_t entry = m_slots[slot];
            if (entry == Empty) {
                m_slots[slot] = static_cast<std::uint32_t>(m_keys.size());
                m_keys.push_back(key);
                return m_keys.size() - 1;
            }
            if (m_keys[entry] == key)
                return entry;
        }
    }

    void grow()
    {
        const std::size_t size = std::max(InitialSlots, 2 * m_slots.size());
        m_slots.assign(size, Empty);
        const std::size_t mask = size - 1;
        for (std::size_t i = 0; i < m_keys.size(); ++i) {
            std::size_t slot = Hash {}(m_keys[i]) & mask;
            while (m_slots[slot] != Empty)
                slot = (slot + 1) & mask;
            m_slots[slot] = static_cast<std::uint32_t>(i);
        }
    }

    // Keeps only the last request of every number, in order.
    [[gnu::noinline]] void compact()
    {
        m_seen.resize((m_denseSize + m_keys.size()) / 64 + 1, 0);
        // Walking back, the first meeting of a number is its last request. Kept numbers are
        // written from the end down, never over one not yet read.
        std::size_t kept = m_count;
        for (std::size_t read = m_count; read-- > 0;) {
            const std::size_t number = m_requests[read];
            std::uint64_t &word = m_seen[number / 64];
            const std::uint64_t bit = std::uint64_t { 1 } << (number % 64);
            if ((word & bit) == 0) {
                word |= bit;
                m_requests[--kept] = number;
            }
        }
        std::copy(m_requests.begin() + static_cast<std::ptrdiff_t>(kept),
            m_requests.begin() + static_cast<std::ptrdiff_t>(m_count), m_requests.begin());
        m_count -= kept;
        for (std::size_t i = 0; i < m_count; ++i)
            m_seen[m_requests[i] / 64] = 0;
        m_compactAt = std::max(CompactFrom, 2 * m_count);
    }

    Dense m_dense;
    std::size_t m_denseSize = 0;
    // Places first, then the keys without one, by their index in m_keys; the first m_count
    // are requests, the rest room for more.
    std::vector<std::size_t> m_requests;
    std::size_t m_count = 0;
    std::vector<Key> m_keys;
    std::vector<std::uint32_t> m_slots;
    // One bit per number, all clear between walks.
    std::vector<std::uint64_t> m_seen;
    std::size_t m_compactAt = CompactFrom;
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
    const unsigned threads = coreCount();
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

// A 64-bit mix of up to four 32-bit values, good enough for open addressing.
inline std::uint64_t mixHash(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t h = a * 0x9E3779B97F4A7C15ULL ^ (b + 0x632BE59BD9B4E019ULL);
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    return h ^ (h >> 32);
}

} // namespace Demagora
