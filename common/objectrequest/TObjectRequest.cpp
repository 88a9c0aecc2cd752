// Head parser of object requests.
#include "common/objectrequest/TObjectRequest.h"

namespace ObjectRequestNumber {

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

bool parseWhole(const QByteArray &text, int &value) {
    if (text.isEmpty() || text.size() > 9) {
        return false;
    }
    int v = 0;
    for (char c : text) {
        if (!isDigit(c)) {
            return false;
        }
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

bool parseType(const QByteArray &text, int &type, int &subAction) {
    const qsizetype dot = text.indexOf('.');
    const QByteArray whole = dot < 0 ? text : text.left(dot);
    const QByteArray fraction = dot < 0 ? QByteArray() : text.mid(dot + 1);
    int t = 0;
    if (!parseWhole(whole, t)) {
        return false;
    }
    if (dot >= 0) {
        if (fraction.isEmpty()) {
            return false;
        }
        for (char c : fraction) {
            if (!isDigit(c)) {
                return false;
            }
        }
    }
    // (value - whole) * 10 rounded: the first decimal digit, one more when the rest is half or above.
    int sub = fraction.isEmpty() ? 0 : fraction[0] - '0';
    if (fraction.size() > 1 && fraction[1] >= '5') {
        ++sub;
    }
    type = t;
    subAction = sub;
    return true;
}

} // namespace ObjectRequestNumber

QByteArray TObjectRequest::E002Text(const QByteArray &typeField) {
    return "E002 - Request Type \"" + typeField + "\" should be an number value.";
}

QByteArray TObjectRequest::Parse(const QByteArray &text) {
    m_fields.clear();
    ObjectName.clear();
    RequestType = -1;
    SubAction = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype sep = text.indexOf(kFieldSeparator, pos);
        const qsizetype end = sep < 0 ? text.size() : sep;
        const QByteArray f = text.mid(pos, end - pos);
        pos = end + 1;
        m_fields.append(f);
        if (m_fields.size() == 1) {
            ObjectName = f;
        } else if (m_fields.size() == 2) {
            if (!ObjectRequestNumber::parseType(f, RequestType, SubAction)) {
                RequestType = -1;
                SubAction = 0;
                return E002Text(f);
            }
        }
    }
    return "OK";
}

QByteArray TObjectRequest::field(int i) const {
    if (i < 1 || i > m_fields.size()) {
        return {};
    }
    return m_fields[i - 1];
}
