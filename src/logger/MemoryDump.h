#pragma once

#include "records/DataRecord.h"
#include "link/MemoryMap.h"
#include "logger/LoggerHeader.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarnix::logger {

// The reply to "U": two leading bytes, then two bytes per address 0..4095
// of which the first is the address's content.
//
//   byte:     0  1 | 2    3 | 4    5 | ... | 8192    8193
//   content:  -  - | [0]  - | [1]  - | ... | [4095]  -
inline constexpr int DumpLength = 2 + 2 * link::address::MemorySize;

// Progress of the dump after `received` bytes: "0.0% completed" to
// "100.0% completed"; bytes beyond the dump's length count for nothing.
QString dumpProgress(qint64 received);

class MemoryDump {
public:
    MemoryDump() = default;
    // Bytes beyond the dump's length are not used.
    explicit MemoryDump(QByteArray reply);

    // All 8194 bytes arrived.
    bool isComplete() const { return m_reply.size() == DumpLength; }
    // How many addresses from 0 on the reply holds.
    int addressesHeld() const;
    // The content of an address; nothing for an address the reply lacks.
    std::optional<std::uint8_t> contentAt(int address) const;
    // Addresses 0..54 as the dump repeats them; missing ones read as 0.
    std::array<std::uint8_t, HeaderLength> headerBytes() const;

private:
    QByteArray m_reply;
};

// The records of one set as the list shows them.
struct SetDownload {
    std::vector<records::RecordFields> records;
    // Records of the set that lie beyond the memory or beyond what the
    // reply held: not listed.
    int leftOut = 0;
    bool dumpComplete = true;
};

// The records of `set` (its row of the header read) from the dump: times
// from the dump's own clock stamp and interval, with the PC's year.
SetDownload downloadSet(const MemoryDump& dump, const RecordSet& set, int year);

// The list's title after a download: "120  Records In No. 2  Set".
QString downloadTitle(const QString& countText, int set);

} // namespace tarnix::logger
