#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Demagora {

// Records drawing operations in the order they are asked for and keeps, of every set of equal
// ones, only the last. Drawing the kept ones in the order of their last request gives the
// same pixels as drawing every request: an opaque operation repeated later covers its earlier
// copy and whatever was drawn over it in between. A long run asks for the same short segment
// or symbol on the same pixels again and again; the work of drawing then grows with the
// distinct operations, which the pixels bound, and no longer with the points of the run.
//
// Key needs ==; Hash gives a 64-bit hash of a key.
template <class Key, class Hash> class LastOccurrence
{
public:
    void add(const Key &key)
    {
        if (2 * (m_entries.size() + 1) > m_slots.size())
            grow();
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t slot = Hash {}(key)&mask;; slot = (slot + 1) & mask) {
            const std::uint32_t entry = m_slots[slot];
            if (entry == Empty) {
                m_slots[slot] = static_cast<std::uint32_t>(m_entries.size());
                m_entries.push_back({ key, m_next++ });
                return;
            }
            if (m_entries[entry].key == key) {
                m_entries[entry].order = m_next++;
                return;
            }
        }
    }

    bool empty() const { return m_entries.empty(); }

    // Forgets every request without drawing.
    void clear()
    {
        m_entries.clear();
        m_slots.assign(InitialSlots, Empty);
        m_next = 0;
    }

    // Hands the kept keys to draw in the order of their last request and starts afresh.
    template <class Draw> void drain(Draw &&draw)
    {
        std::sort(m_entries.begin(), m_entries.end(),
            [](const Entry &a, const Entry &b) { return a.order < b.order; });
        for (const Entry &entry : m_entries)
            draw(entry.key);
        clear();
    }

private:
    static constexpr std::uint32_t Empty = UINT32_MAX;
    static constexpr std::size_t InitialSlots = 64;

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

    std::vector<Entry> m_entries;
    std::vector<std::uint32_t> m_slots;
    std::uint64_t m_next = 0;
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
