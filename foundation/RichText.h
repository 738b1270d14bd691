#pragma once

// Rich text as the stored memos carry it: a reader from RTF into a text document and a writer
// back. The reader keeps paragraphs, line breaks, tabs, bold, italic, underline, fonts, sizes
// and colours; every other control word and every destination it does not know is skipped
// while its text is kept. Damaged, truncated or foreign input never raises: what can be read
// is shown.

#include <QString>

class QTextDocument;

// True when the text is RTF: it begins, after blanks, with "{\rtf".
bool IsRtfText(const QString& text);

// Replaces the document's content. RTF is read as described above; any other text goes in as
// plain text.
void RtfToDocument(const QString& text, QTextDocument& document);

// The document as RTF in the ANSI code page 1252; characters outside it as \uN with "?" for
// readers that do not know them. Bold, italic, underline, font and size are written as they
// appear (the document's default font filling in what a fragment leaves unset), colours where
// a fragment has its own.
QString DocumentToRtf(const QTextDocument& document);

// The plain text of an RTF text, or the text itself when it is no RTF.
QString RtfToPlainText(const QString& text);
