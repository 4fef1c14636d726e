#pragma once

#include <QtGlobal>
#include <vector>

namespace tarnix::analysis {

// The median of the spacings between readings, kept without keeping them:
// a count per millisecond up to some 17 minutes (4 MB, made at the first
// spacing), and the longer ones as they are, which a recording has few of.
class SpacingMedian {
public:
    // A spacing above 0 ms.
    void add(qint64 ms);
    // Every spacing `other` holds.
    void add(const SpacingMedian& other);
    qint64 count() const { return m_count; }
    // The spacing in the middle of them all, in order (the upper one of
    // two); 0 when there is none.
    qint64 median() const;

private:
    std::vector<quint32> m_short;
    std::vector<qint64> m_long;
    qint64 m_count = 0;
};

} // namespace tarnix::analysis
