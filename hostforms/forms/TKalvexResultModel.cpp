// Data, fields, rules, navigation and the page model of the result-entry control.
#include "hostforms/forms/TKalvexResultModel.h"

#include "common/d3FormatUnit.h"
#include "hostforms/forms/HostFiles.h"
#include "hostforms/protocol/HostProtocol.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {

constexpr char FD = '\xFD';
constexpr char FC = '\xFC';

const QByteArray kLayoutTag = "<LAYOUT_DATA>";
const QByteArray kRangeTag = "<RANGE_DATA>";
const QByteArray kResultTag = "<RESULT_DATA>";
const QByteArray kFieldTag = "<FIELD_DATA>";

// Part n (from 1) of a 0xFC-separated text; empty when missing.
QByteArray part(const QByteArray &text, int n) {
    const QList<QByteArray> parts = text.split(FC);
    return n >= 1 && n <= parts.size() ? parts[n - 1] : QByteArray();
}

std::optional<int> wholeNumber(const QByteArray &text) {
    const std::optional<qint64> v = HostProtocol::readInteger(text);
    if (!v || *v < INT_MIN || *v > INT_MAX) {
        return std::nullopt;
    }
    return int(*v);
}

QList<QByteArray> nonEmpty(const QList<QByteArray> &lines) {
    QList<QByteArray> out;
    for (const QByteArray &l : lines) {
        if (!l.isEmpty()) {
            out.append(l);
        }
    }
    return out;
}

// The text of a block: from after its tag to the next tag of any kind (or the end).
QByteArray block(const QByteArray &data, qsizetype tagAt, const QByteArray &tag) {
    const qsizetype start = tagAt + tag.size();
    qsizetype end = data.size();
    for (const QByteArray *t : {&kLayoutTag, &kRangeTag, &kResultTag, &kFieldTag}) {
        const qsizetype next = data.indexOf(*t, start);
        if (next >= 0) {
            end = std::min(end, next);
        }
    }
    return data.mid(start, end - start);
}

} // namespace

QByteArray TKalvexResultModel::line(const QList<QByteArray> &lines, int n) const {
    return n >= 1 && n <= lines.size() ? lines[n - 1] : QByteArray();
}

QList<TKalvexResultModel::Change> TKalvexResultModel::SetData(const QByteArray &blocks) {
    QList<Change> changes;
    QByteArray data = blocks;
    data.replace('\x04', FD).replace('\x05', FC);
    if (const qsizetype at = data.indexOf(kLayoutTag); at >= 0) {
        SetLayout(block(data, at, kLayoutTag).split('\n'));
    }
    if (const qsizetype at = data.indexOf(kRangeTag); at >= 0) {
        QByteArray text = block(data, at, kRangeTag);
        text.replace('\n', QByteArray());
        SetRange(text);
    }
    if (const qsizetype at = data.indexOf(kResultTag); at >= 0) {
        changes = SetResult(block(data, at, kResultTag).split('\n'));
    }
    for (qsizetype at = data.indexOf(kFieldTag); at >= 0; at = data.indexOf(kFieldTag, at + 1)) {
        const QByteArray text = block(data, at, kFieldTag);
        const QByteArray first = text.split('\n').value(text.startsWith('\n') ? 1 : 0);
        const qsizetype semi = first.indexOf(';');
        if (semi < 0) {
            continue;
        }
        if (const std::optional<qint64> n = HostProtocol::readInteger(first.left(semi))) {
            SetField(*n, first.mid(semi + 1));
        }
    }
    return changes;
}

void TKalvexResultModel::SetLayout(const QList<QByteArray> &lines) {
    const QList<QByteArray> l = nonEmpty(lines);
    auto list = [](const QByteArray &text) { return text.isEmpty() ? QList<QByteArray>() : text.split(FD); };
    m_layout = list(line(l, 3));
    countFields();
    m_rangeLines = list(line(l, 4));
    m_results = QList<QByteArray>(m_rangeLines.size());
    m_order.clear();
    for (const QByteArray &n : list(line(l, 5))) {
        if (const std::optional<int> f = wholeNumber(n)) {
            m_order.append(*f);
        }
    }
    m_rules = list(line(l, 7));
    m_fnActions = list(line(l, 9));
    m_fields.clear();
    for (const QByteArray &r : m_rangeLines) {
        Field f;
        const std::optional<int> row = wholeNumber(part(r, 1));
        const std::optional<int> column = wholeNumber(part(r, 2));
        const std::optional<int> width = wholeNumber(part(r, 4));
        f.valid = row && column && width && *width >= 0;
        f.row = row.value_or(0);
        f.column = column.value_or(0);
        f.width = std::min(width.value_or(0), 4 * kColumns);
        f.allowed = part(r, 5);
        f.mask = part(r, 6).trimmed();
        f.rangeWidth = wholeNumber(part(r, 9));
        f.freeText = f.width == kColumns && f.mask.toLower() == "l(#80)";
        m_fields.append(f);
    }
}

void TKalvexResultModel::SetRange(const QByteArray &text) {
    m_ranges = text.isEmpty() ? QList<QByteArray>() : text.split(FD);
}

QList<TKalvexResultModel::Change> TKalvexResultModel::SetResult(const QList<QByteArray> &lines) {
    const QList<QByteArray> l = nonEmpty(lines);
    const QByteArray values = l.size() == 1 ? l.first() : line(l, 6);
    m_results = values.split(FD);
    if (m_results.size() < m_fields.size()) {
        m_results.resize(m_fields.size());
    }
    return recalculateAll();
}

void TKalvexResultModel::SetField(qint64 n, const QByteArray &text) {
    if (n >= 0 && n < m_layout.size()) {
        m_layout[qsizetype(n)] = text;
        countFields();
    }
}

void TKalvexResultModel::countFields() {
    m_fieldsBefore.resize(m_layout.size());
    int field = 0;
    for (qsizetype i = 0; i < m_layout.size(); ++i) {
        m_fieldsBefore[i] = field;
        field += int(m_layout[i].count('@'));
    }
}

void TKalvexResultModel::Reset() {
    *this = TKalvexResultModel();
}

std::optional<QList<QByteArray>> TKalvexResultModel::fileLines(const QByteArray &path, QByteArray *error) {
    const HostFiles::Result r = HostFiles::read(path);
    if (r.status != HostFiles::Status::Ok) {
        if (error) {
            *error = r.status == HostFiles::Status::Missing ? "File " + path + " does not exist." : r.reason;
        }
        return std::nullopt;
    }
    QList<QByteArray> lines = r.data.split('\n');
    if (r.data.endsWith('\n')) {
        lines.removeLast(); // the break ends the last line and starts no new one
    }
    for (QByteArray &l : lines) {
        if (l.endsWith('\r')) {
            l.chop(1);
        }
    }
    return lines;
}

TKalvexResultModel::Field TKalvexResultModel::field(int n) const {
    return n >= 1 && n <= m_fields.size() ? m_fields[n - 1] : Field();
}

QByteArray TKalvexResultModel::result(int n) const {
    return line(m_results, n);
}

int TKalvexResultModel::groupStart(int n) const {
    if (!field(n).freeText) {
        return n;
    }
    while (n > 1 && field(n - 1).freeText) {
        --n;
    }
    return n;
}

int TKalvexResultModel::groupLines(int n) const {
    const int start = groupStart(n);
    if (!field(start).freeText) {
        return 1;
    }
    int count = 1;
    while (field(start + count).freeText) {
        ++count;
    }
    return count;
}

QList<int> TKalvexResultModel::fieldOrder() const {
    return m_order;
}

QByteArray TKalvexResultModel::withoutMarks(const QByteArray &text) {
    QByteArray out;
    for (char c : text) {
        if (c != '{' && c != '|' && c != '_') {
            out += c;
        }
    }
    return out;
}

QByteArray TKalvexResultModel::displayValue(int n) const {
    const Field f = field(n);
    const QByteArray value = withoutMarks(result(n)).left(f.width);
    return f.mask.isEmpty() ? value : d3FormatUnit::FormatD3Mask(f.mask, value);
}

QByteArray TKalvexResultModel::editValue(int n) const {
    return withoutMarks(result(n)).trimmed();
}

std::optional<double> TKalvexResultModel::number(const QByteArray &text) {
    bool ok = false;
    const double v = QLocale::c().toDouble(QString::fromLatin1(text.trimmed()), &ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

bool TKalvexResultModel::outOfRange(int n) const {
    const std::optional<double> v = number(withoutMarks(result(n)));
    if (!v) {
        return false;
    }
    const QByteArray entry = line(m_ranges, n);
    const std::optional<double> low = number(part(entry, 2));
    const std::optional<double> high = number(part(entry, 4));
    return (low && *v < *low) || (high && *v > *high);
}

QByteArray TKalvexResultModel::rangeText(int n) const {
    QByteArray t = line(m_ranges, n);
    t.replace(FC, QByteArray());
    return t;
}

bool TKalvexResultModel::accepts(int n, char c) const {
    // Backspace, Escape and these five always pass (the host validates what it keeps).
    static const QByteArray always("\x08\x1B.%&'(", 7);
    if (always.contains(c)) {
        return true;
    }
    // A last character without its partner is no pair; with no pair at all nothing is limited.
    const QByteArray allowed = field(n).allowed;
    if (allowed.size() < 2) {
        return true;
    }
    const char upper = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    for (qsizetype i = 0; i + 1 < allowed.size(); i += 2) {
        const auto u = static_cast<unsigned char>(upper);
        if (u >= static_cast<unsigned char>(allowed[i]) && u <= static_cast<unsigned char>(allowed[i + 1])) {
            return true;
        }
    }
    return false;
}

int TKalvexResultModel::firstField() const {
    return m_order.isEmpty() ? 0 : m_order.first();
}

int TKalvexResultModel::nextField(int current) const {
    if (m_order.isEmpty()) {
        return 0;
    }
    const qsizetype at = m_order.indexOf(current);
    return at < 0 || at + 1 >= m_order.size() ? m_order.first() : m_order[at + 1];
}

int TKalvexResultModel::previousField(int current) const {
    if (m_order.isEmpty()) {
        return 0;
    }
    const qsizetype at = m_order.indexOf(current);
    return at <= 0 ? m_order.last() : m_order[at - 1];
}

std::optional<int> TKalvexResultModel::jumpTarget(int n) const {
    const QByteArray action = line(m_fnActions, n).toLower();
    const qsizetype at = action.indexOf("jump ");
    if (at < 0) {
        return std::nullopt;
    }
    QByteArray target = action.mid(at + 5);
    if (const qsizetype end = target.indexOf(FC); end >= 0) {
        target = target.left(end);
    }
    const std::optional<int> f = wholeNumber(target.trimmed());
    if (!f || *f < 1 || *f > fieldCount()) {
        return std::nullopt;
    }
    return f;
}

QList<TKalvexResultModel::Change> TKalvexResultModel::Commit(int fieldNumber,
                                                             const QList<QByteArray> &lines) {
    const int start = groupStart(fieldNumber);
    if (start < 1 || start > fieldCount()) {
        return {};
    }
    const int count = groupLines(start);
    QList<Change> changes;
    QSet<int> changed;
    for (int i = 0; i < count; ++i) {
        const int n = start + i;
        const QByteArray text = lines.value(i);
        if (text == editValue(n)) {
            continue;
        }
        m_results[n - 1] = text;
        changes.append({n, text});
        changed.insert(n);
    }
    changes += evaluateRules(changed);
    return changes;
}

QList<TKalvexResultModel::Change> TKalvexResultModel::recalculateAll() {
    QList<Change> out;
    for (int n = 1; n <= m_rules.size() && n <= fieldCount(); ++n) {
        if (std::optional<Change> c = evaluateRule(n)) {
            out.append(*c);
        }
    }
    return out;
}

QList<TKalvexResultModel::Change> TKalvexResultModel::evaluateRules(QSet<int> changed) {
    // A rule runs when a field it uses changed, including a field another rule just computed, but
    // never twice in one commit: a cycle of rules ends after each has run once.
    QList<Change> out;
    QSet<int> done;
    bool again = true;
    while (again) {
        again = false;
        for (int n = 1; n <= m_rules.size() && n <= fieldCount(); ++n) {
            if (done.contains(n)) {
                continue;
            }
            const QByteArray rule = m_rules[n - 1];
            const std::optional<int> a = wholeNumber(part(rule, 1));
            const std::optional<int> b = wholeNumber(part(rule, 3));
            if (!(a && changed.contains(*a)) && !(b && changed.contains(*b))) {
                continue;
            }
            done.insert(n);
            if (std::optional<Change> c = evaluateRule(n)) {
                out.append(*c);
                changed.insert(c->field);
                again = true;
            }
        }
    }
    return out;
}

std::optional<TKalvexResultModel::Change> TKalvexResultModel::evaluateRule(int n) {
    const QByteArray rule = line(m_rules, n);
    const std::optional<int> a = wholeNumber(part(rule, 1));
    const std::optional<int> op = wholeNumber(part(rule, 2));
    const std::optional<int> b = wholeNumber(part(rule, 3));
    if (!a || !op || n > fieldCount()) {
        return std::nullopt;
    }
    auto operand = [this](int f) -> std::optional<double> {
        if (f < 1 || f > fieldCount()) {
            return std::nullopt;
        }
        return number(withoutMarks(result(f)));
    };
    const std::optional<double> x = operand(*a);
    const std::optional<double> yb = b ? operand(*b) : std::nullopt;
    if (!x || (*op != 7 && !yb)) {
        return std::nullopt;
    }
    const double *y = yb ? &*yb : x.operator->();
    double r = 0;
    switch (*op) {
    case 1:
        r = *x * *y;
        break;
    case 2:
        if (*y == 0) {
            return std::nullopt;
        }
        r = *x / *y;
        break;
    case 3:
        r = *x + *y;
        break;
    case 4:
        r = *x - *y;
        break;
    case 5:
        r = *x * *y / 100;
        break;
    case 7:
        if (*x < 0) {
            return std::nullopt;
        }
        r = std::sqrt(*x);
        break;
    default:
        return std::nullopt;
    }
    if (!std::isfinite(r)) {
        return std::nullopt;
    }
    const std::optional<double> factor = number(part(rule, 4));
    const std::optional<double> base = number(part(rule, 5));
    const std::optional<double> stored = number(withoutMarks(result(n)));
    if (factor && base && stored && qFuzzyCompare(std::pow(*base, r * *factor), *stored)) {
        return std::nullopt;
    }
    const QByteArray text = numberText(r);
    if (text == result(n)) {
        return std::nullopt;
    }
    m_results[n - 1] = text;
    return Change{n, text};
}

QByteArray TKalvexResultModel::numberText(double v) {
    QByteArray t = QByteArray::number(v, 'g', 15);
    return t == "-0" ? QByteArray("0") : t;
}

int TKalvexResultModel::lineOfField(int n) const {
    if (n < 1 || m_layout.isEmpty() || m_fieldsBefore.last() + m_layout.last().count('@') < n) {
        return -1;
    }
    // The last line with fewer fields above it than n holds the n-th "@".
    const auto after = std::upper_bound(m_fieldsBefore.begin(), m_fieldsBefore.end(), n - 1);
    return int(after - m_fieldsBefore.begin()) - 1;
}

QPair<int, int> TKalvexResultModel::reviewWindow() const {
    int first = -1, last = -1;
    // The lowest mark of each kind wins, whether a layout line or a result value set it.
    auto mark = [&](const QByteArray &text, int line) {
        if (line >= 0 && text.startsWith('!')) {
            first = std::max(first, line);
        } else if (line >= 0 && text.startsWith('*')) {
            last = std::max(last, line);
        }
    };
    for (int i = 0; i < m_layout.size(); ++i) {
        mark(m_layout[i], i);
    }
    for (int n = 1; n <= m_results.size(); ++n) {
        const QByteArray &value = m_results[n - 1];
        if (value.startsWith('!') || value.startsWith('*')) {
            mark(value, lineOfField(n));
        }
    }
    first = std::max(first, 0);
    const int end = int(m_layout.size()) - 1;
    return {first, last < first ? end : last};
}

QList<int> TKalvexResultModel::shownLines(State state) const {
    QList<int> out;
    const bool skipBlank = state == State::Final || state == State::Review;
    const auto [first, last] = skipBlank ? reviewWindow() : QPair<int, int>(0, int(m_layout.size()) - 1);
    for (int i = first; i <= last; ++i) {
        if (skipBlank) {
            const LayoutLine l = parseLine(i);
            if (m_layout[i].count('@') == 1 && l.fields.size() == 1) {
                QByteArray v = result(l.fields.first());
                v.replace(FD, QByteArray()).replace(' ', QByteArray()).replace('\n', QByteArray());
                if (v.isEmpty()) {
                    continue;
                }
            }
        }
        out.append(i);
    }
    return out;
}

TKalvexResultModel::LayoutLine TKalvexResultModel::parseLine(int index) const {
    LayoutLine out;
    if (index < 0 || index >= m_layout.size()) {
        return out;
    }
    // Fields are numbered by their "@" from the top of the page.
    int field = m_fieldsBefore.value(index);
    bool bold = false, underline = false, red = false;
    int column = 0;
    Run run;
    auto flush = [&] {
        if (!run.text.isEmpty()) {
            out.runs.append(run);
        }
        run = Run{};
    };
    for (char c : m_layout[index]) {
        switch (c) {
        case '_':
        case '{':
        case '|':
            // Marks change the style and take no column.
            flush();
            (c == '_' ? underline : c == '{' ? red : bold) ^= true;
            continue;
        case '@':
            flush();
            out.fields.append(++field);
            break;
        case '~':
            flush();
            out.rangeMarks.append({field, column});
            break;
        case ' ':
            flush();
            break;
        default:
            if (run.text.isEmpty()) {
                run = Run{column, {}, bold, underline, red};
            }
            run.text += c;
            break;
        }
        ++column;
    }
    flush();
    return out;
}

int TKalvexResultModel::hitTest(int x, int y, int lineHeight, int pageWidth) const {
    const int textWidth = pageWidth - kLeftMargin - kRightMargin;
    if (lineHeight <= 0 || textWidth <= 0 || y < kTopMargin || x < kLeftMargin) {
        return 0;
    }
    const int row = (y - kTopMargin) / lineHeight + 1;
    const int column = int(double(x - kLeftMargin) / textWidth * kColumns) + 1;
    for (int n = 1; n <= fieldCount(); ++n) {
        const Field f = field(n);
        if (f.valid && f.row == row && column >= f.column && column <= f.column + f.width) {
            return n;
        }
    }
    return 0;
}

bool TKalvexResultModel::wrapLine(QList<QByteArray> &lines, int lineIndex, int maxLines) {
    if (lineIndex < 0 || lineIndex >= lines.size() || lineIndex + 1 >= maxLines) {
        return false;
    }
    // A new line is made only when the last line of the field is free, so nothing falls off.
    if (lines.size() >= maxLines && !lines.last().isEmpty()) {
        return false;
    }
    const QByteArray l = lines[lineIndex];
    static const QByteArray breaks(" ,.?()<>");
    qsizetype cut = -1;
    for (qsizetype i = std::min<qsizetype>(l.size(), kColumns) - 1; i >= 0; --i) {
        if (breaks.contains(l[i])) {
            cut = i;
            break;
        }
    }
    if (cut < 0) {
        return false;
    }
    if (lines.size() >= maxLines) {
        lines.removeLast();
    }
    lines[lineIndex] = l.left(cut + 1);
    lines.insert(lineIndex + 1, l.mid(cut + 1));
    return true;
}
