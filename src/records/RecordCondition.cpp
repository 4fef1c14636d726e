#include "records/RecordCondition.h"

#include "meter/FunctionRange.h"
#include "meter/Units.h"

#include <QStringList>
#include <cmath>
#include <limits>

namespace tarnix::records {

namespace {

using Test = RecordCondition::Test;
using Kind = Test::Kind;

struct Word {
    QString text;
    qsizetype at;
};

bool isOperatorChar(QChar c) {
    return c == u'<' || c == u'>' || c == u'=' || c == u'!';
}

// Words are split at blanks and around the comparison signs, so "value>5V"
// reads as three words.
std::vector<Word> wordsOf(const QString& text) {
    std::vector<Word> words;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i].isSpace()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        if (isOperatorChar(text[i])) {
            ++i;
            if (i < text.size() && text[i] == u'=' && text[start] != u'=')
                ++i;
        } else {
            while (i < text.size() && !text[i].isSpace() && !isOperatorChar(text[i]))
                ++i;
        }
        words.push_back({text.mid(start, i - start), start});
    }
    return words;
}

// The units a reading comes in, as a user may write them, and as the
// measurement names them. Longer spellings first: "degF" before "F".
struct UnitSpelling {
    QStringView written;
    QStringView unit;
};
constexpr UnitSpelling Units[] = {
    {u"degC", u"degC"}, {u"\u00b0C", u"degC"}, {u"degF", u"degF"},  {u"\u00b0F", u"degF"},
    {u"Ohm", u"Ohm"},   {u"\u03a9", u"Ohm"},   {u"\u2126", u"Ohm"}, {u"Hz", u"Hz"},
    {u"V", u"V"},       {u"A", u"A"},          {u"F", u"F"},
};

std::optional<int> prefixExponent(QStringView prefix) {
    if (prefix.isEmpty())
        return 0;
    if (prefix.size() != 1)
        return std::nullopt;
    switch (prefix.front().unicode()) {
    case u'p':
        return -12;
    case u'n':
        return -9;
    case u'u':
    case 0x00b5:
    case 0x03bc:
        return -6;
    case u'm':
        return -3;
    case u'k':
    case u'K':
        return 3; // the meter's own ranges write K
    case u'M':
        return 6;
    case u'G':
        return 9;
    default:
        return std::nullopt;
    }
}

const QString UnitHelp = QStringLiteral(
    "V, A, Ohm, F, Hz, degC or degF, with p, n, u, m, k, M or G before it if need be");

struct Quantity {
    double value;
    QString unit;
};

// "5V", "-20mA", "4.7kOhm": the number in the base unit, as the meter's
// own readings are moved into it, so equal texts compare equal.
std::variant<Quantity, QString> quantityOf(const QString& text) {
    qsizetype i = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
    while (i < text.size() && (text[i].isDigit() || text[i] == u'.'))
        ++i;
    const QString number = text.left(i), suffix = text.mid(i);
    if (meter::baseUnitValue(number, 0).isEmpty())
        return QStringLiteral("\"%1\" is not a number with a unit, such as 5V or -20mA").arg(text);
    if (suffix.isEmpty())
        return QStringLiteral("\"%1\" needs a unit: %2").arg(text, UnitHelp);
    for (const UnitSpelling& u : Units) {
        if (!suffix.endsWith(u.written))
            continue;
        const auto exponent = prefixExponent(QStringView(suffix).chopped(u.written.size()));
        if (!exponent)
            break;
        return Quantity{meter::baseUnitValue(number, *exponent).toDouble(), u.unit.toString()};
    }
    return QStringLiteral("\"%1\" has no unit Tarnix knows: %2").arg(suffix, UnitHelp);
}

// The meter's own function names: DCV, ACV, DCA, ACA, RES, CAP, FREQ, ...
QStringList functionNames() {
    QStringList names;
    for (const meter::FunctionRange& entry : meter::functionRangeTable())
        if (const QString name = QString::fromLatin1(entry.function); !names.contains(name))
            names << name;
    return names;
}

class Parser {
public:
    explicit Parser(const QString& text) : m_text(text), m_words(wordsOf(text)) {}

    std::variant<RecordCondition, ConditionError> parse() {
        if (m_words.empty())
            return ConditionError{0, 0, QStringLiteral("the condition is empty")};
        std::vector<std::vector<Test>> anyOf(1);
        for (;;) {
            const auto test = parseTest();
            if (const auto* error = std::get_if<ConditionError>(&test))
                return *error;
            anyOf.back().push_back(std::get<Test>(test));
            if (atEnd())
                break;
            const Word& joint = take();
            if (joint.text == u"or")
                anyOf.emplace_back();
            else if (joint.text != u"and")
                return wrong(
                    joint,
                    QStringLiteral("expected and, or or the end, not \"%1\"").arg(joint.text));
        }
        QStringList words;
        for (const Word& word : m_words)
            words << word.text;
        return RecordCondition(std::move(anyOf), words.join(u' '));
    }

private:
    bool atEnd() const { return m_next >= m_words.size(); }
    const Word& take() { return m_words[m_next++]; }
    ConditionError wrong(const Word& word, const QString& why) const {
        return {word.at, word.text.size(), why};
    }
    ConditionError missing(const QString& what) const {
        return {m_text.size(), 0, QStringLiteral("%1 is missing at the end").arg(what)};
    }

    std::variant<Test, ConditionError> parseTest() {
        if (atEnd())
            return missing(QStringLiteral("a test after \"%1\"").arg(m_words.back().text));
        const Word& word = take();
        if (word.text == u"overload")
            return Test{};
        if (word.text == u"value")
            return valueTest();
        if (word.text == u"alarm" || word.text == u"function")
            return stateTest(word.text == u"alarm");
        return wrong(word, QStringLiteral("a test starts with value, alarm, function or overload, "
                                          "not \"%1\"")
                               .arg(word.text));
    }

    std::variant<Test, ConditionError> valueTest() {
        // In the order of Test::Kind.
        static const QStringList Signs = QStringLiteral("< <= > >= = !=").split(u' ');
        if (atEnd())
            return missing(QStringLiteral("a comparison after \"value\""));
        const Word& sign = take();
        const qsizetype index = Signs.indexOf(sign.text);
        const bool range = sign.text == u"inside" || sign.text == u"outside";
        if (index < 0 && !range)
            return wrong(sign, QStringLiteral("value takes <, <=, >, >=, =, !=, inside or "
                                              "outside, not \"%1\"")
                                   .arg(sign.text));
        if (atEnd())
            return missing(QStringLiteral("a value after \"%1\"").arg(sign.text));
        const Word& operand = take();
        Test test;
        if (!range) {
            const auto q = quantityOf(operand.text);
            if (const auto* why = std::get_if<QString>(&q))
                return wrong(operand, *why);
            test.kind = Kind(index);
            test.low = test.high = std::get<Quantity>(q).value;
            test.unit = std::get<Quantity>(q).unit;
            return test;
        }
        const QStringList ends = operand.text.split(QStringLiteral(".."));
        if (ends.size() != 2)
            return wrong(operand, QStringLiteral("%1 takes a range LOW..HIGH, such as 4.9V..5.1V, "
                                                 "not \"%2\"")
                                      .arg(sign.text, operand.text));
        const auto low = quantityOf(ends[0]), high = quantityOf(ends[1]);
        for (const auto* q : {&low, &high})
            if (const auto* why = std::get_if<QString>(q))
                return wrong(operand, *why);
        const Quantity& l = std::get<Quantity>(low);
        const Quantity& h = std::get<Quantity>(high);
        if (l.unit != h.unit)
            return wrong(operand,
                         QStringLiteral("both ends of \"%1\" take one unit").arg(operand.text));
        if (l.value > h.value)
            return wrong(operand,
                         QStringLiteral("the low end of \"%1\" comes first").arg(operand.text));
        test.kind = sign.text == u"inside" ? Kind::Inside : Kind::Outside;
        test.low = l.value;
        test.high = h.value;
        test.unit = l.unit;
        return test;
    }

    // alarm = WORD, function != NAME
    std::variant<Test, ConditionError> stateTest(bool alarm) {
        const QString subject = alarm ? QStringLiteral("alarm") : QStringLiteral("function");
        if (atEnd())
            return missing(QStringLiteral("= or != after \"%1\"").arg(subject));
        const Word& sign = take();
        if (sign.text != u"=" && sign.text != u"!=")
            return wrong(sign,
                         QStringLiteral("%1 takes = or !=, not \"%2\"").arg(subject, sign.text));
        const bool equal = sign.text == u"=";
        if (atEnd())
            return missing(QStringLiteral("a %1 after \"%2\"")
                               .arg(alarm ? QStringLiteral("state") : subject, sign.text));
        const Word& name = take();
        Test test;
        if (alarm) {
            // In the order of SampleAlarm::State.
            static const QStringList States = QStringLiteral("none ok over under").split(u' ');
            const qsizetype state = States.indexOf(name.text.toLower());
            if (state < 0)
                return wrong(
                    name,
                    QStringLiteral("alarm is ok, over, under or none, not \"%1\"").arg(name.text));
            test.kind = equal ? Kind::Alarm : Kind::NotAlarm;
            test.alarm = SampleAlarm::State(state);
            return test;
        }
        const QStringList names = functionNames();
        if (!names.contains(name.text.toUpper()))
            return wrong(name, QStringLiteral("the meter's functions are %1, not \"%2\"")
                                   .arg(names.join(QStringLiteral(", ")), name.text));
        test.kind = equal ? Kind::Function : Kind::NotFunction;
        test.function = name.text.toUpper();
        return test;
    }

    const QString& m_text;
    std::vector<Word> m_words;
    std::size_t m_next = 0;
};

// The reading as a number in its base unit: OL above every number, -OL
// below; nothing for a display without a number.
std::optional<double> valueOf(const meter::Measurement& m) {
    constexpr double Infinity = std::numeric_limits<double>::infinity();
    if (m.shown.overload == meter::Overload::Over)
        return Infinity;
    if (m.shown.overload == meter::Overload::Under)
        return -Infinity;
    return m.value;
}

} // namespace

bool RecordCondition::Test::holds(const meter::Measurement& m,
                                  SampleAlarm::State alarmState) const {
    switch (kind) {
    case Kind::Overload:
        return m.shown.overload != meter::Overload::None;
    case Kind::Alarm:
        return alarmState == alarm;
    case Kind::NotAlarm:
        return alarmState != alarm;
    case Kind::Function:
        return m.function == function;
    case Kind::NotFunction:
        return m.function != function;
    default:
        break;
    }
    const auto v = valueOf(m);
    if (m.unit != unit || !v)
        return false; // a reading in another unit, or without a number
    switch (kind) {
    case Kind::Less:
        return *v < low;
    case Kind::LessOrEqual:
        return *v <= low;
    case Kind::Greater:
        return *v > low;
    case Kind::GreaterOrEqual:
        return *v >= low;
    case Kind::Equal:
        return *v == low;
    case Kind::NotEqual:
        return *v != low;
    case Kind::Inside:
        return *v >= low && *v <= high;
    default:
        return *v < low || *v > high; // outside
    }
}

bool RecordCondition::holds(const meter::Measurement& measurement, SampleAlarm::State alarm) const {
    for (const auto& allOf : m_anyOf) {
        bool all = true;
        for (const Test& test : allOf)
            all = all && test.holds(measurement, alarm);
        if (all)
            return true;
    }
    return false;
}

std::variant<RecordCondition, ConditionError> parseRecordCondition(const QString& text) {
    return Parser(text).parse();
}

} // namespace tarnix::records
