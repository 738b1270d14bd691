#include "catalogue/gRegOptions.h"

#include "foundation/MessageNumbers.h"
#include "foundation/MessageTable.h"
#include "foundation/mdlQZLib51_drives.h"
#include "foundation/mdlQZLib51_registry.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/FontFamilies.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString kDefaultFont = QStringLiteral("Tahoma");
const QString kFirstRunAutoMemo = QStringLiteral("readme.txt|liesmich.txt");
constexpr int32_t kDefaultMaxLocks = 1000000;

enum class Number { NotNumeric, InRange, OutOfRange };

// The numeric test of a stored text: plain integers, and decimals with the locale's or a
// point separator, rounded half to even. A number beyond 32 bits is reported as such, so
// callers treat it like a missing value instead of a wrapped one.
Number parseNumber(const QString& text, int32_t& out) {
  const QString s = text.trimmed();
  if (s.isEmpty()) return Number::NotNumeric;
  bool ok = false;
  double d = QLocale().toDouble(s, &ok);
  if (!ok) d = QLocale::c().toDouble(s, &ok);
  if (!ok || !std::isfinite(d)) return Number::NotNumeric;
  d = std::nearbyint(d);
  if (d < std::numeric_limits<int32_t>::min() || d > std::numeric_limits<int32_t>::max()) return Number::OutOfRange;
  out = static_cast<int32_t>(d);
  return Number::InRange;
}

// A font size written through a property: a number or a runtime error.
int32_t fontSizeFromText(const QString& text) {
  int32_t v = 0;
  switch (parseNumber(text, v)) {
    case Number::InRange:
      return v;
    case Number::OutOfRange:
      throw rt::RaisedError(rt::kErrOverflow, QStringLiteral("ZUVRAX"), QStringLiteral("Überlauf."));
    default:
      throw rt::RaisedError(rt::kErrTypeMismatch, QStringLiteral("ZUVRAX"), QStringLiteral("Typen unverträglich."));
  }
}

QString boolText(bool v) { return v ? QStringLiteral("-1") : QStringLiteral("0"); }

// Where a file dialog starts when no folder was chosen yet: the program's folder where the
// program may write there (a private copy), else the user's home, where the program's "c:\"
// points; an installed program's folder takes no catalogue.
QString defaultFolder() {
  const QString program = rt::App::path();
  if (::access(QFile::encodeName(program).constData(), W_OK | X_OK) == 0)
    return AddTrailingChar(program, QStringLiteral("/"));
  return AddTrailingChar(QDir::homePath(), QStringLiteral("/"));
}

}  // namespace

gRegOptions::gRegOptions() { Read(); }

gRegOptions::~gRegOptions() {
  // Nothing may stop the release: a value that cannot be written is skipped.
  try {
    Write();
  } catch (...) {
  }
}

void gRegOptions::setAutoMemo(const QString& v) {
  if (v.compare(autoMemo_, Qt::CaseInsensitive) == 0) return;
  autoMemo_ = v;
  QStringList parts;
  SplitText(rt::Variant(v), parts, QStringLiteral("|"));
  autoMemoCol_ = parts;
}

void gRegOptions::setCatDescFontsize(const QString& v) { catDescFontsize_ = fontSizeFromText(v); }
void gRegOptions::setEditorFontsize(const QString& v) { editorFontsize_ = fontSizeFromText(v); }
void gRegOptions::setListFontsize(const QString& v) { listFontsize_ = fontSizeFromText(v); }
void gRegOptions::setTreeFontsize(const QString& v) { treeFontsize_ = fontSizeFromText(v); }

QString gRegOptions::InitDir(const QString& newFolder) {
  if (!newFolder.isEmpty()) lastDir_ = newFolder;
  if (!lastDir_.isEmpty() && !FolderExists(lastDir_)) lastDir_.clear();
  if (lastDir_.isEmpty()) lastDir_ = defaultFolder();
  return lastDir_;
}

QString gRegOptions::Get(const QString& name) const {
  return RegGetString(registry::HKEY_CURRENT_USER, key_, name, QString());
}

bool gRegOptions::FontInstalled(const QString& name) const {
  // Without a screen there are no fonts to check against; the stored name stands.
  return ui::fontFamilyInstalled(name);
}

QString gRegOptions::ReadFontName(const QString& name) const {
  const QString v = Get(name);
  if (v.isEmpty() || !FontInstalled(v)) return kDefaultFont;
  return v;
}

// A size that is missing, no number, or beyond 32 bits takes the default: a 0-point font would
// make the text unreadable.
int32_t gRegOptions::ReadLongDefault(const QString& name, int32_t defaultValue) const {
  int32_t v = 0;
  return parseNumber(Get(name), v) == Number::InRange ? v : defaultValue;
}

QString gRegOptions::ReadFolder(const QString& name) const {
  QString v = Get(name);
  if (!v.isEmpty() && !FolderExists(v)) v.clear();
  return v.isEmpty() ? defaultFolder() : v;
}

void gRegOptions::Read() {
  key_ = AddTrailingChar(rt::App::registryKey(), QStringLiteral("\\")) +
         AddTrailingChar(QStringLiteral("Options"), QStringLiteral("\\"));
  const bool firstRun = !RegKeyExists(registry::HKEY_CURRENT_USER, key_);

  const auto readBool = [this](const QString& name, bool& field) {
    int32_t v = 0;
    if (parseNumber(Get(name), v) == Number::InRange) field = v != 0;
  };
  const auto readInt = [this](const QString& name, int32_t& field) {
    int32_t v = 0;
    if (parseNumber(Get(name), v) == Number::InRange) field = v;
  };

  setAutoMemo(firstRun ? kFirstRunAutoMemo : Get(QStringLiteral("AutoMemo")));
  readBool(QStringLiteral("AutoOpen"), autoOpen_);
  {
    int32_t v = 0;
    if (parseNumber(Get(QStringLiteral("DragDelay")), v) == Number::InRange && v > 0) dragDelay_ = v;
  }
  try {
    editorFileFilter_ = LoadResString(kMsgEditorFileFilter);
  } catch (const rt::RaisedError&) {
  }
  const QString filter = Get(QStringLiteral("EditorFileFilter"));
  if (!filter.isEmpty()) editorFileFilter_ = filter;
  editorFontname_ = ReadFontName(QStringLiteral("EditorFontName"));
  editorFontsize_ = ReadLongDefault(QStringLiteral("EditorFontSize"), 10);
  readBool(QStringLiteral("EditorFontBold"), editorFontBold_);
  readBool(QStringLiteral("EditorFontItalic"), editorFontItalic_);
  readBool(QStringLiteral("ExtendedWarnings"), extendedWarnings_);

  // The per-file-type icons are the right first choice on this platform.
  iconMode_ = firstRun ? 1 : 0;
  readInt(QStringLiteral("IconMode"), iconMode_);

  lastDB_ = Get(QStringLiteral("LastDB"));
  if (!lastDB_.isEmpty() && !FileExists(lastDB_)) lastDB_.clear();
  lastDir_ = ReadFolder(QStringLiteral("LastDir"));
  lastIconDir_ = ReadFolder(QStringLiteral("LastIconDir"));
  readInt(QStringLiteral("MainformSplit"), mainformSplit_);
  {
    int32_t v = 0;
    const QString s = Get(QStringLiteral("MaxLocksPerFile"));
    const Number n = parseNumber(s, v);
    if (s.isEmpty() || n == Number::OutOfRange)
      MaxLocksPerFile = kDefaultMaxLocks;
    else
      MaxLocksPerFile = n == Number::InRange ? std::max(v, 0) : 0;
  }
  readBool(QStringLiteral("OnReadSkipHidden"), onReadSkipHidden_);
  readBool(QStringLiteral("OnReadSkipSystem"), onReadSkipSystem_);
  readBool(QStringLiteral("ViewFolderInfo"), viewFolderInfo_);
  readBool(QStringLiteral("ViewCategoryInfo"), viewCategoryInfo_);
  readBool(QStringLiteral("ViewVolumeInfo"), viewVolumeInfo_);
  treeFontname_ = ReadFontName(QStringLiteral("TreeFontName"));
  listFontname_ = ReadFontName(QStringLiteral("ListFontName"));
  treeFontsize_ = ReadLongDefault(QStringLiteral("TreeFontSize"), 8);
  listFontsize_ = ReadLongDefault(QStringLiteral("ListFontSize"), 8);
  catDescFontname_ = ReadFontName(QStringLiteral("CatDescFontName"));
  catDescFontsize_ = ReadLongDefault(QStringLiteral("CatDescFontSize"), 8);
  {
    int32_t v = 0;
    const QString s = Get(QStringLiteral("Exclusive"));
    const Number n = parseNumber(s, v);
    if (s.isEmpty() || n == Number::OutOfRange)
      exclusive_ = true;
    else
      exclusive_ = n == Number::InRange && v != 0;
  }
  readInt(QStringLiteral("ReadingBreakDuration"), readingBreakDuration_);
  readInt(QStringLiteral("ReadingBreakFileCount"), readingBreakFiles_);
}

void gRegOptions::Write() const {
  const auto put = [this](const QString& name, const QString& text) {
    RegSetString(registry::HKEY_CURRENT_USER, key_, name, text);
  };
  put(QStringLiteral("AutoMemo"), autoMemo_);
  put(QStringLiteral("AutoOpen"), boolText(autoOpen_));
  put(QStringLiteral("DragDelay"), QString::number(dragDelay_));
  put(QStringLiteral("ExtendedWarnings"), boolText(extendedWarnings_));
  put(QStringLiteral("LastDir"), lastDir_);
  put(QStringLiteral("LastDB"), lastDB_);
  put(QStringLiteral("LastIconDir"), lastIconDir_);
  if (mainformSplit_ > 0) put(QStringLiteral("MainformSplit"), QString::number(mainformSplit_));
  put(QStringLiteral("EditorFileFilter"), editorFileFilter_);
  put(QStringLiteral("EditorFontName"), editorFontname_);
  put(QStringLiteral("EditorFontSize"), QString::number(editorFontsize_));
  put(QStringLiteral("EditorFontBold"), boolText(editorFontBold_));
  put(QStringLiteral("EditorFontItalic"), boolText(editorFontItalic_));
  put(QStringLiteral("IconMode"), QString::number(iconMode_));
  put(QStringLiteral("MaxLocksPerFile"), QString::number(MaxLocksPerFile));
  put(QStringLiteral("OnReadSkipHidden"), boolText(onReadSkipHidden_));
  put(QStringLiteral("OnReadSkipSystem"), boolText(onReadSkipSystem_));
  put(QStringLiteral("ViewFolderInfo"), boolText(viewFolderInfo_));
  put(QStringLiteral("ViewCategoryInfo"), boolText(viewCategoryInfo_));
  put(QStringLiteral("ViewVolumeInfo"), boolText(viewVolumeInfo_));
  put(QStringLiteral("ListFontName"), listFontname_);
  put(QStringLiteral("TreeFontName"), treeFontname_);
  put(QStringLiteral("ListFontSize"), QString::number(listFontsize_));
  put(QStringLiteral("TreeFontSize"), QString::number(treeFontsize_));
  put(QStringLiteral("CatDescFontName"), catDescFontname_);
  put(QStringLiteral("CatDescFontSize"), QString::number(catDescFontsize_));
  put(QStringLiteral("Exclusive"), boolText(exclusive_));
  put(QStringLiteral("ReadingBreakDuration"), QString::number(readingBreakDuration_));
  put(QStringLiteral("ReadingBreakFileCount"), QString::number(readingBreakFiles_));
}
