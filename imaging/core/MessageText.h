// The moving message texts of the image controls: the scrolling message (".SCM", one line running
// right to left) and the credit message (".CMS", lines rolling upward). Parsing and stepping only;
// the controls measure and paint.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace orva::imaging {

// A message's font as the files give it: a Windows colour value (0x00BBGGRR) and a font height
// by the Windows rule (negative: character height in pixels; positive: cell height).
struct TMessageFont {
    std::uint32_t Color = 0;
    int Height = -13;
    QString Name = QStringLiteral("SYSTEM");
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;

    // A size in points becomes the height at 96 pixels per inch, as the control's font does.
    void SetSize(int points);
    QFont ToQFont() const;
    QColor TextColor() const;
};

// The longest message shown; longer ones are cut (a file is read whole, and a message wider than
// the screen many times over only costs memory).
constexpr int kMaxMessageChars = 4096;

// Scrolling-message file text. Fields missing from the text take their defaults, present but empty
// ones leave the values as they were. A number field that is no decimal stops the reading there:
// false, with "'<field>' is not a valid integer value" in `error`.
bool ParseScrollingMessage(const QByteArray &text, TMessageFont &font, int &speed, QString &message,
                           std::uint32_t &backColor, QString *error = nullptr);
// Credit-message file text: lines 1 to 7 give the font, back colour and speed, lines 8 on the
// credits (the list is emptied first). A number line that is no decimal: false, as above.
bool ParseCreditMessage(const QByteArray &text, TMessageFont &font, int &speed, QStringList &lines,
                        std::uint32_t &backColor, QString *error = nullptr);

// The step gate: of the step messages, every (speed + 1)-th moves the text.
class TStepGate {
public:
    bool Step(int speed);
    void Reset() { m_counter = 0; }

private:
    int m_counter = 0;
};

// A scrolling message in a control of width W and height H: it enters at the right edge, moves one
// pixel a step and enters again once it has left on the left.
class TScrollingText {
public:
    void Start(int controlWidth, int controlHeight, QSize text);
    void Step();
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Right() const { return m_right; }

private:
    int m_width = 0;
    int m_textWidth = 0;
    int m_left = 0;
    int m_top = 0;
    int m_right = 0;
};

// A credit message: each line rises from below the control to above it, then the next follows.
class TCreditText {
public:
    using Measure = std::function<QSize(const QString &)>;
    // Padding: two blanks before a line that does not begin with one, one after a line that does
    // not end with one.
    static QString PaddedLine(const QString &line);
    // The width a padded line is given: w + w / (n - 2) for n characters, w itself for n <= 2.
    static int WidenedWidth(int width, int characters);

    void Start(int controlWidth, int controlHeight, const QStringList &lines, Measure measure);
    // Returns true when a new line was built (the control renders it anew).
    bool Step();
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Bottom() const { return m_bottom; }
    int Index() const { return m_index; }
    // The line shown and its bitmap size (width, height + 5); empty before any line was built.
    const QString &Shown() const { return m_shown; }
    QSize BitmapSize() const { return m_bitmap; }

private:
    bool Build(int index);

    int m_width = 0;
    int m_height = 0;
    QStringList m_lines;
    Measure m_measure;
    int m_index = 0;
    int m_left = 0;
    int m_top = 0;
    int m_bottom = 0;
    int m_textHeight = 0;
    QString m_shown;
    QSize m_bitmap;
};

} // namespace orva::imaging
