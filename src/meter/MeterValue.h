#pragma once

#include <QString>
#include <variant>

namespace tarnix::meter {

// Written form of a number as the program shows it: no exponent for the
// values a meter produces, no trailing zeros ("123", "-0.123", "12.5").
QString formatNumber(double value);

// The value of a reading. Most readings are texts exactly as the meter gave
// their digits ("-12.34", "012", "OL", "Initial"); some long-frame readings
// are numbers, whose text has lost leading zeros. The difference shows when
// the value is written out, so it is kept.
class MeterValue {
public:
    MeterValue() = default;
    static MeterValue fromText(QString text);
    static MeterValue fromNumber(double number);

    bool isNumber() const { return std::holds_alternative<double>(m_value); }
    // The value as shown in a label or written to a file.
    QString text() const;
    // The value for comparisons: the number, or the text's leading number.
    double number() const;

    friend bool operator==(const MeterValue&, const MeterValue&) = default;

private:
    std::variant<QString, double> m_value;
};

// Texts that stand for something other than a measured number.
inline constexpr char16_t InitialText[] = u"Initial";
inline constexpr char16_t OverloadText[] = u"OL";
inline constexpr char16_t NegativeOverloadText[] = u"-OL";

} // namespace tarnix::meter
