// Widget-free rules of the dictation window.
#include "dictation/audioform/AudioFormRules.h"

#include "common/HostText.h"
#include "editor/report/HostDateTime.h"

#include <QDateTime>
#include <QStringList>
#include <Qt>

#include <cmath>

TAudioButtonState AudioButtonState(const TAudioButtonInput &in) {
    TAudioButtonState s;
    const QByteArray kind = in.TaskKind;
    const bool record = kind == "RECORD";
    const bool import = kind == "IMPORT";
    s.RecordEnabled = record;
    s.PauseVisible = in.Playing;
    s.PlayEnabled = in.FileExists;
    s.LoadEnabled = import || record || kind == "PLAYBACK";
    s.DetailsEnabled = kind != "PLAYBACK";
    s.TextEditable = true;
    if (record || import) {
        s.TransmitCaption = QStringLiteral("&Transmit (F3)");
        s.TransmitEnabled = in.FileExists && !in.LabReferenceEmpty;
    } else if (kind == "CORRECT") {
        s.TransmitCaption = QStringLiteral("&Correct");
        s.TransmitEnabled = in.TextDiffers && !in.ReceivedEmpty && !in.HeldBy;
    } else if (kind == "PLAYBACK") {
        s.TransmitCaption = QStringLiteral("&Correct");
        s.TransmitEnabled = false;
    } else {
        s.TransmitEnabled = true;
    }
    s.StepEnabled = (record || import) ? s.TransmitEnabled : true;
    return s;
}

namespace {

QString seconds(int ms) {
    return QString::number(std::lround(ms / 10.0) / 100.0, 'f', 2);
}

} // namespace

QString AudioPositionText(int positionMs, int lengthMs) {
    return seconds(positionMs) + QStringLiteral(" of ") + seconds(lengthMs) + QStringLiteral(" sec");
}

QString AudioJobDateText(const QByteArray &jobNumber) {
    const qsizetype bar = jobNumber.indexOf('_');
    const QByteArray stamp = bar < 0 ? QByteArray() : jobNumber.mid(bar + 1).trimmed();
    if (stamp.isEmpty())
        return {};
    const double value = HostDateTimeToDateTime(stamp);
    if (value == kNoHostDateTime)
        return {};
    // Days since 30 December 1899, the time of day as the fraction.
    const double days = std::floor(value);
    const qint64 secondOfDay = std::llround((value - days) * 86400.0);
    const QDateTime at =
        QDateTime(QDate(1899, 12, 30).addDays(qint64(days)), QTime(0, 0), Qt::UTC).addSecs(secondOfDay);
    return at.toString(QStringLiteral(" dd/MM/yyyy hh:mm"));
}

QString AudioFormCaption(const QByteArray &reqCode, const QByteArray &procCode, const QByteArray &description,
                         const QByteArray &jobNumber, const QString &batch) {
    QString caption = QStringLiteral("Quillory :") + HostText::toUnicode(reqCode) + QLatin1Char(' ') +
                      HostText::toUnicode(procCode) + QLatin1Char(' ') + HostText::toUnicode(description) +
                      AudioJobDateText(jobNumber);
    if (!batch.isNull())
        caption += QStringLiteral(" [") + batch + QLatin1Char(']');
    return caption;
}

QString AudioDoctorLine(const QByteArray &title, const QByteArray &given, const QByteArray &surname) {
    if (given.isEmpty())
        return {};
    return HostText::toUnicode(title) + QLatin1Char(' ') + HostText::toUnicode(given.left(1)).toUpper() +
           QLatin1Char(' ') + HostText::toUnicode(surname) + QStringLiteral("  ");
}

QString AudioCutQuestion(int remainingMs) {
    const int n = qMax(1, remainingMs / 1000);
    const QString amount =
        n == 1 ? QStringLiteral("1 second ") : QString::number(n) + QStringLiteral(" seconds");
    return QStringLiteral("There are ") + amount + QStringLiteral(" after this point.\r\n\r\n") +
           QStringLiteral("Do you want to keep the remaining recording?");
}

bool AudioContextAllowsRecognition(const QByteArray &context) {
    return context.left(2).toLower() != "no";
}

QString AudioReceivedText(const QByteArray &hostText) {
    QString text = HostText::toUnicode(hostText);
    text.replace(QLatin1Char(']'), QLatin1Char('\n'));
    return text;
}

QByteArray AudioCorrectedText(const QString &boxText) {
    QString text = boxText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar(0x2029), QLatin1Char('\n'));
    // Each line through the user-text encoder, which would take the line ends too.
    QByteArray out;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out += "\r\n";
        out += HostText::userText(HostText::fromUnicode(lines[i]));
    }
    return out;
}

TAudioKeyCounter::Action TAudioKeyCounter::KeyUp(int key, bool playing) {
    switch (key) {
    case Qt::Key_Shift:
        if (++m_shift >= 2) {
            m_shift = 0;
            return Action::PlayPause;
        }
        return Action::None;
    case Qt::Key_Control:
        if (++m_control >= 2) {
            m_control = 0;
            return Action::StepBack;
        }
        return Action::None;
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        return playing ? Action::Stop : Action::None;
    default:
        m_shift = m_control = 0;
        return Action::None;
    }
}
