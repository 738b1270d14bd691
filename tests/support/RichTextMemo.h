#pragma once

// A memo of many formatting changes, as RTF: one word a run, each run in a look of its own
// next to its neighbours. Every third run is bold, every fourth (from the second on) in a font
// of its own, every fourth (from the fourth on) in a colour of its own; a paragraph ends after
// every `perParagraph` runs (0: the memo is one paragraph).

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace testenv {

struct MemoRunLook {
  QString text;
  bool bold = false;
  QString font;
  QColor colour;  // invalid: the automatic colour
};

inline MemoRunLook memoRunLook(long i) {
  MemoRunLook look;
  look.text = QStringLiteral("Wort%1 ").arg(i);
  look.bold = i % 3 == 0;
  look.font = i % 4 == 1 ? QStringLiteral("Schrift %1").arg(i / 4 + 1) : QStringLiteral("Tahoma");
  if (i % 4 == 3) {
    const long c = i / 4;
    look.colour = QColor(int(c % 256), int((c / 256) % 256), int((c / 65536) % 256));
  }
  return look;
}

inline bool endsParagraph(long i, long runs, long perParagraph) {
  return perParagraph > 0 && i % perParagraph == perParagraph - 1 && i + 1 < runs;
}

inline QString manyRunsMemo(long runs, long perParagraph = 100) {
  QString fonts = QStringLiteral("{\\f0\\fnil\\fcharset0 Tahoma;}");
  QString colours;
  for (long i = 0; i < runs; ++i) {
    const MemoRunLook look = memoRunLook(i);
    if (i % 4 == 1) fonts += QStringLiteral("{\\f%1\\fnil\\fcharset0 %2;}").arg(i / 4 + 1).arg(look.font);
    if (look.colour.isValid())
      colours += QStringLiteral("\\red%1\\green%2\\blue%3;")
                     .arg(look.colour.red())
                     .arg(look.colour.green())
                     .arg(look.colour.blue());
  }
  QString rtf = QStringLiteral(
                    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl%1}\r\n{\\colortbl ;%2}\r\n"
                    "\\viewkind4\\uc1\\pard\\f0\\fs17 ")
                    .arg(fonts, colours);
  for (long i = 0; i < runs; ++i) {
    const MemoRunLook look = memoRunLook(i);
    QString words;
    if (look.bold) words += QStringLiteral("\\b");
    if (i % 4 == 1) words += QStringLiteral("\\f%1").arg(i / 4 + 1);
    if (look.colour.isValid()) words += QStringLiteral("\\cf%1").arg(i / 4 + 1);
    rtf += u'{' + (words.isEmpty() ? QString() : words + u' ') + look.text + u'}';
    if (endsParagraph(i, runs, perParagraph)) rtf += QStringLiteral("\\par\r\n");
  }
  return rtf + u'}';
}

// The plain text the memo shows.
inline QString manyRunsPlain(long runs, long perParagraph = 100) {
  QString plain;
  for (long i = 0; i < runs; ++i) {
    plain += memoRunLook(i).text;
    if (endsParagraph(i, runs, perParagraph)) plain += u'\n';
  }
  return plain;
}

// Empty when the document holds the memo's runs in order, one fragment each in its look; else
// the first difference.
inline QString memoRunsDiffer(const QTextDocument& doc, long runs) {
  long i = 0;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it, ++i) {
      const QTextFragment f = it.fragment();
      const MemoRunLook want = memoRunLook(i);
      const QTextCharFormat format = f.charFormat();
      const QColor colour = format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color() : QColor();
      const QString at = QStringLiteral("run %1 ('%2'): ").arg(i).arg(f.text());
      if (i >= runs) return at + QStringLiteral("more runs than written");
      if (f.text() != want.text) return at + QStringLiteral("text is not '%1'").arg(want.text);
      if ((format.fontWeight() >= QFont::Bold) != want.bold) return at + QStringLiteral("bold is wrong");
      if (format.fontFamilies().toStringList().value(0) != want.font) return at + QStringLiteral("font is wrong");
      if (colour != want.colour) return at + QStringLiteral("colour is wrong");
    }
  }
  return i == runs ? QString() : QStringLiteral("%1 runs instead of %2").arg(i).arg(runs);
}

// One paragraph of `pairs` times the RTF `pair` (such as "\\i x\\i0\\ul y\\ulnone "): runs of
// styles side by side with no blank between them, as long memos carry them.
inline QString styleRunsMemo(const QString& pair, long pairs) {
  QString rtf = QStringLiteral(
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}\r\n"
      "\\viewkind4\\uc1\\pard\\f0\\fs17 ");
  rtf.reserve(rtf.size() + pair.size() * pairs + 8);
  for (long i = 0; i < pairs; ++i) rtf += pair;
  return rtf + QStringLiteral("\\par\r\n}");
}

}  // namespace testenv
