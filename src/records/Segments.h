#pragma once

#include <QtGlobal>
#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace tarnix::records {

// A column of many values in blocks of a fixed size: growing never copies
// what is there, and columns filled apart (by two threads reading the two
// halves of a file) are put one after the other by moving their blocks, so
// that no join holds two copies at once. Each column joined on keeps its
// blocks as a part of its own; a value is found by its part, then its block.
template <typename T, int BlockBits = 16>
class Segments {
public:
    static constexpr std::size_t Block = std::size_t(1) << BlockBits;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    void push_back(T value) {
        if (m_next == m_end)
            newBlock();
        *m_next++ = value;
        ++m_size;
    }

    const T& operator[](std::size_t i) const {
        const Part& part = partOf(i);
        const std::size_t at = i - part.first;
        return m_blocks[part.firstBlock + (at >> BlockBits)][at & (Block - 1)];
    }
    const T& back() const { return (*this)[m_size - 1]; }

    // Puts `later`'s values after these, moving its blocks.
    void append(Segments&& later) {
        if (later.empty())
            return;
        for (const Part& part : later.m_parts)
            m_parts.push_back({m_size + part.first, m_blocks.size() + part.firstBlock});
        for (auto& block : later.m_blocks)
            m_blocks.push_back(std::move(block));
        m_size += later.m_size;
        m_next = later.m_next;
        m_end = later.m_end;
        later = Segments();
    }

    std::size_t memoryUse() const { return m_blocks.size() * Block * sizeof(T); }

private:
    struct Part {
        std::size_t first;      // its first value's index
        std::size_t firstBlock; // its first block
    };

    void newBlock() {
        if (m_parts.empty())
            m_parts.push_back({0, 0});
        m_blocks.emplace_back(new T[Block]); // left unwritten, so untouched room takes no memory
        m_next = m_blocks.back().get();
        m_end = m_next + Block;
    }
    const Part& partOf(std::size_t i) const {
        if (m_parts.size() == 1)
            return m_parts.front();
        return *std::prev(std::upper_bound(m_parts.begin(), m_parts.end(), i,
                                           [](std::size_t at, const Part& p) { return at < p.first; }));
    }

    std::vector<std::unique_ptr<T[]>> m_blocks;
    std::vector<Part> m_parts;
    std::size_t m_size = 0;
    T* m_next = nullptr; // room left in the last block
    T* m_end = nullptr;
};

} // namespace tarnix::records
