#include "foundation/widgets/cuRecentFiles.h"

#include "foundation/MessageTable.h"
#include "platform/registry/Registry.h"
#include "platform/runtime/RaisedError.h"
#include "platform/runtime/Variant.h"
#include "platform/ui/MousePointer.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSet>

#include <algorithm>
#include <utility>

namespace {

const QString kMaxEntriesValue = QStringLiteral("RFL Max Entries");
const QString kSep = QStringLiteral("/");

QString GetErrorText(int n) {
  switch (n) {
    case 1:
      return QStringLiteral("Fehler beim Öffnen des Registryschlüssels - ##");
    case 2:
      return QStringLiteral("Fehler beim Speichern eines Wertes in der Registry - ##");
    case 3:
      return QStringLiteral("Terminate, Fehler beim Löschen eines Wertes aus der Registry - ##");
    case 4:
      return QStringLiteral("Ungültiger Pfad.");
    case 5:
      return QStringLiteral("Ungültiger Index.");
    case 6:
      return QStringLiteral("Für 'MaxEntires' muß eine positive Ganzzahl angegeben werden.!");
    case 7:
      return QStringLiteral("Der Name des Schlüssels muß zwischen 0 und 255 Zeichen lang sein.");
    case 8:
      return QStringLiteral("Fehler beim Öffnen des Registryschlüssels!");
    case 9:
      return QStringLiteral("Für MaxLength muß eine positive Ganzzahl angegeben werden.");
    case 10:
      return QStringLiteral("Falscher Parameter für 'Level'.");
    case 11:
      return QStringLiteral("Der Registryschlüssel fehlt.");
    case 12:
      return QStringLiteral("Ungültiger Index oder Indexgrenze überschritten.");
    case 13:
      return QStringLiteral("Die Datei '##' ist nicht Teil der RecentFile-Auflistung.");
    default:
      return QStringLiteral("Unbekannter Fehler.");
  }
}

QString GetRegErrorText(int32_t code) {
  switch (code) {
    case 2:
      return QStringLiteral("Falscher Schlüssel- oder Wertname.");
    case 5:
      return QStringLiteral("Zugriff verweigert.");
    case 14:
      return QStringLiteral("Zu wenig Arbeitsspeicher.");
    case 87:
      return QStringLiteral("Falscher Parameter.");
    case 1009:
      return QStringLiteral("Falscher Datenpuffer.");
    case 1010:
      return QStringLiteral("Falscher Schlüssel.");
    case 1011:
      return QStringLiteral("Kann nicht öffnen.");
    case 1012:
      return QStringLiteral("Kann nicht lesen.");
    case 1013:
      return QStringLiteral("Kann nicht schreiben.");
    default:
      return QStringLiteral("Unbekannter Fehler.");
  }
}

void resetPointer() {
  if (ui::mousePointer() != ui::kPointerDefault) ui::setMousePointer(ui::kPointerDefault);
}

QString FormatMessage(int n, const rt::Variant& par) {
  QString text = FillPlaceholders(GetErrorText(n), {par.isNull() ? std::nullopt : std::optional(par.toText())});
  return text.replace(QStringLiteral("@@"), QStringLiteral("\n"));
}

[[noreturn]] void RaiseError(int n, const QString& proc, const rt::Variant& par = rt::Null,
                             const QString& description = QString()) {
  resetPointer();
  throw rt::RaisedError(rt::kLibraryErrorBase + n, QStringLiteral("clsRecentFiles: ") + proc,
                        description.isEmpty() ? FormatMessage(n, par) : description);
}

// Runs an operation; a failure leaves it with the tag in front of its source.
template <class F>
void tagged(F&& f) {
  try {
    f();
  } catch (...) {
    rt::RaisedError e = rt::currentError();
    e.source = QStringLiteral("RZVBA/") + e.source;
    resetPointer();
    throw e;
  }
}

// What a lookup for files finds: an existing file that is not a folder (links are followed).
bool isFile(const QString& path) {
  const QFileInfo fi(path);
  return fi.exists() && !fi.isDir();
}

// Two paths name the same file when their canonical forms agree; a path whose file is gone
// stands for itself.
QString fileIdentity(const QString& path) {
  const QString canonical = QFileInfo(path).canonicalFilePath();
  return canonical.isEmpty() ? path : canonical;
}

QString menuCaption(int i, const QString& text) {
  QString shown = text;
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1 %2").arg(i).arg(shown);
}

}  // namespace

cuRecentFiles::cuRecentFiles(QObject* parent) : QObject(parent) {}

cuRecentFiles::~cuRecentFiles() {
  if (terminated_) return;
  try {
    Terminate();
  } catch (...) {
    // Releasing at shut-down: a list that cannot be stored is given up.
  }
}

void cuRecentFiles::setLastFolder(const QString& v) {
  tagged([&] {
    bool found = false;
    if (v.endsWith(kSep)) {
      const QDir dir(v);
      found = !v.isEmpty() && dir.exists() &&
              !dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty();
    } else {
      found = isFile(v);
    }
    if (!found) RaiseError(4, QStringLiteral("LastFolder (Let)"));
    lastFolder_ = v;
  });
}

void cuRecentFiles::setMaxEntries(int16_t v) {
  tagged([&] {
    if (v < 1) RaiseError(6, QStringLiteral("MaxEntries (Let)"));
    while (Count() > v) RemoveEntry(Count());
    if (v < maxEntries_) Refresh();
    maxEntries_ = v;
  });
}

void cuRecentFiles::setMaxLength(int16_t v) {
  tagged([&] {
    if (v < 1) RaiseError(9, QStringLiteral("MaxLength (Let)"));
    maxLength_ = v;
    for (int p = 1; p <= Count(); ++p) ShortHand(p);
    Refresh();
  });
}

void cuRecentFiles::setMenu(QMenu* menu, QAction* element0) {
  menu_ = menu;
  element0_ = menu ? element0 : nullptr;
  items_.clear();
  if (element0_ && (element0_->isSeparator() || element0_->text() == QLatin1String("-"))) element0_->setVisible(false);
}

void cuRecentFiles::setRegKey(const QString& sNewKey) {
  tagged([&] {
    if (sNewKey.size() < 1 || sNewKey.size() > 255) RaiseError(7, QStringLiteral("RegKey (Let)"));
    QString name = sNewKey;
    if (name.startsWith(QLatin1Char('\\'))) name.remove(0, 1);
    if (name.endsWith(QLatin1Char('\\'))) name.chop(1);
    entries_.clear();
    OpenRegKey(name);

    registry::Value v;
    int32_t rc = registry::queryValue(registry::HKEY_CURRENT_USER, name, kMaxEntriesValue, v);
    if (rc == registry::kSuccess) {
      // A stored maximum that is no positive 16-bit number is treated as absent.
      bool ok = false;
      const int n = v.toText().trimmed().toInt(&ok);
      if (v.type == registry::REG_SZ && ok && n >= 1 && n <= 32767) maxEntries_ = static_cast<int16_t>(n);
    } else if (rc != registry::kNotFound) {
      RaiseError(1, QStringLiteral("RegKey (Let)"), GetRegErrorText(rc));
    }

    entries_.clear();
    // Entries beyond the maximum are not loaded; they are dropped at the next write-back.
    for (int n = 1; n <= maxEntries_; ++n) {
      rc = registry::queryValue(registry::HKEY_CURRENT_USER, name, QStringLiteral("File %1").arg(n), v);
      if (rc == registry::kNotFound) break;
      if (rc != registry::kSuccess) RaiseError(1, QStringLiteral("RegKey (Let)"), rt::Null, GetRegErrorText(rc));
      if (v.type != registry::REG_SZ && v.type != registry::REG_EXPAND_SZ) break;
      QString path = v.toText();
      const qsizetype nul = path.indexOf(QChar(0));
      if (nul >= 0) path.truncate(nul);
      InsertEntry(n, path);
    }
    regKey_ = name;
    Refresh();
  });
}

void cuRecentFiles::OpenRegKey(const QString& key) {
  if (key.isEmpty()) RaiseError(11, QStringLiteral("OpenRegKey"));
  int32_t rc = registry::openKey(registry::HKEY_CURRENT_USER, key);
  if (rc == registry::kNotFound) rc = registry::createKey(registry::HKEY_CURRENT_USER, key);
  if (rc != registry::kSuccess) RaiseError(1, QStringLiteral("OpenRegKey"), GetRegErrorText(rc));
  regKey_ = key;
}

void cuRecentFiles::Add(int position) {
  tagged([&] {
    SetTopItem(position);
    Refresh();
  });
}

void cuRecentFiles::Add(const QString& path) {
  tagged([&] {
    if (!path.endsWith(kSep) && !isFile(path)) RaiseError(4, QStringLiteral("Add"));
    if (const int found = FindPath(path); found > 0) {
      SetTopItem(found);
      Refresh();
      return;
    }
    if (Count() >= maxEntries_) entries_.resize(static_cast<size_t>(std::max<int>(maxEntries_ - 1, 0)));
    auto entry = std::make_unique<cuRecentFile>();
    entry->fullPath_ = path;
    entries_.insert(entries_.begin(), std::move(entry));
    Renumber();
    ShortHand(1);
    Refresh();
  });
}

const cuRecentFile& cuRecentFiles::Item(int iTheItem) const {
  const cuRecentFile* found = nullptr;
  tagged([&] {
    if (iTheItem < 1 || iTheItem > Count()) RaiseError(5, QStringLiteral("Item"));
    found = entries_[static_cast<size_t>(iTheItem - 1)].get();
  });
  return *found;
}

void cuRecentFiles::Remove(int position) {
  tagged([&] {
    RemoveEntry(position);
    Refresh();
  });
}

void cuRecentFiles::Remove(const QString& path) {
  tagged([&] {
    const int found = FindPath(path);
    if (found == 0) RaiseError(13, QStringLiteral("Remove"), path);
    RemoveEntry(found);
    Refresh();
  });
}

void cuRecentFiles::Refresh() {
  tagged([&] {
    if (!menu_) {
      emit Change();
      return;
    }
    std::erase_if(items_, [](const QPointer<QAction>& a) { return a.isNull(); });
    for (int i = 1; i <= Count(); ++i) {
      if (i > MenuCount() - 1) {
        // A new element goes directly after the array's last one.
        QAction* last = items_.empty() ? element0_.data() : items_.back().data();
        const QList<QAction*> actions = menu_->actions();
        const qsizetype at = last ? actions.indexOf(last) : -1;
        QAction* before = (at >= 0 && at + 1 < actions.size()) ? actions[at + 1] : nullptr;
        auto* item = new QAction(menu_);
        item->setData(i);
        menu_->insertAction(before, item);
        items_.emplace_back(item);
      }
      QAction* item = items_[static_cast<size_t>(i - 1)];
      item->setText(menuCaption(i, entries_[static_cast<size_t>(i - 1)]->shortPath_));
      item->setVisible(true);
    }
    while (MenuCount() - 1 > Count()) {
      QAction* item = items_.back();
      items_.pop_back();
      menu_->removeAction(item);
      delete item;
    }
    if (Count() >= 1 && element0_) element0_->setVisible(!isSeparateMenu_);
  });
}

void cuRecentFiles::Save() const {
  tagged([&] { WriteList(QStringLiteral("Save")); });
}

// The entries, the deletion of the values after them up to the first gap, and the maximum go
// to the store as one change: thousands of stale values cost one write, not one each.
void cuRecentFiles::WriteList(const QString& proc) const {
  if (regKey_.isEmpty()) return;
  int32_t rc = registry::openKey(registry::HKEY_CURRENT_USER, regKey_);
  if (rc != registry::kSuccess && rc != registry::kNotFound) RaiseError(1, proc, GetRegErrorText(rc));
  std::vector<registry::ValueChange> changes;
  for (const auto& e : entries_) changes.push_back({e->name_, registry::Value::text(e->fullPath_)});
  const bool sets = !changes.empty() || saveMaxEntries_;
  // The key's names are listed once: a lookup per stale value would cost time quadratic in
  // their number.
  QStringList names;
  rc = registry::enumValues(registry::HKEY_CURRENT_USER, regKey_, names);
  if (rc != registry::kSuccess && rc != registry::kNotFound) RaiseError(3, proc, GetRegErrorText(rc));
  QSet<QString> stored;
  stored.reserve(names.size());
  for (const QString& name : std::as_const(names)) stored.insert(name.toCaseFolded());
  for (int n = Count() + 1;; ++n) {
    const QString name = QStringLiteral("File %1").arg(n);
    if (!stored.contains(name.toCaseFolded())) break;
    changes.push_back({name, std::nullopt});
  }
  if (saveMaxEntries_) changes.push_back({kMaxEntriesValue, registry::Value::text(QString::number(maxEntries_))});
  if (changes.empty()) return;
  rc = registry::changeValues(registry::HKEY_CURRENT_USER, regKey_, changes);
  if (rc != registry::kSuccess) RaiseError(sets ? 2 : 3, proc, GetRegErrorText(rc));
}

void cuRecentFiles::Terminate() {
  tagged([&] {
    terminated_ = true;
    WriteList(QStringLiteral("Terminate"));
    entries_.clear();
    menu_ = nullptr;
    element0_ = nullptr;
    items_.clear();
  });
}

void cuRecentFiles::InsertEntry(int position, const QString& path) {
  tagged([&] {
    if (position < 1 || position > Count() + 1) RaiseError(10, QStringLiteral("InsertEntry"));
    if (Count() >= maxEntries_) {
      entries_.resize(static_cast<size_t>(std::max<int>(maxEntries_ - 1, 0)));
      if (position > maxEntries_) RaiseError(10, QStringLiteral("InsertEntry"));
    }
    auto entry = std::make_unique<cuRecentFile>();
    entry->fullPath_ = path;
    entries_.insert(entries_.begin() + (position - 1), std::move(entry));
    Renumber();
    ShortHand(position);
  });
}

void cuRecentFiles::RemoveEntry(int position) {
  tagged([&] {
    if (position < 1 || position > Count()) {
      resetPointer();
      throw rt::RaisedError(rt::kErrInvalidArgument, QStringLiteral("clsRecentFiles: RemoveEntry"),
                            QStringLiteral("Ungültiger Prozeduraufruf oder ungültiges Argument"));
    }
    entries_.erase(entries_.begin() + (position - 1));
    Renumber();
  });
}

void cuRecentFiles::SetTopItem(int position) {
  tagged([&] {
    if (position < 1 || position > Count()) RaiseError(12, QStringLiteral("SetTopItem"));
    std::rotate(entries_.begin(), entries_.begin() + (position - 1), entries_.begin() + position);
    Renumber();
  });
}

void cuRecentFiles::ShortHand(int position) {
  tagged([&] {
    if (position < 1 || position > Count()) RaiseError(5, QStringLiteral("ShortHand"));
    cuRecentFile& e = *entries_[static_cast<size_t>(position - 1)];
    const QString& p = e.fullPath_;
    const int m = maxLength_;
    const int len = static_cast<int>(p.size());
    if (len <= m && position != 1) {
      e.shortPath_ = p;
      return;
    }
    const int l = static_cast<int>(p.lastIndexOf(kSep)) + 1;  // 1-based, 0 without a separator
    const int t = len - l;
    const QString file = p.mid(l);
    if (t > m) {
      // Below 3 characters there is no room for the dots.
      e.shortPath_ = m >= 3 ? file.left(m - 3) + QStringLiteral("...") : file.left(m);
    } else if (t == m) {
      e.shortPath_ = file;
    } else if (t == m - 1) {
      e.shortPath_ = kSep + file;
    } else if (t < m - 6) {
      for (int b = l > 1 ? static_cast<int>(p.lastIndexOf(kSep, l - 2)) + 1 : 0; b >= 1;
           b = b > 1 ? static_cast<int>(p.lastIndexOf(kSep, b - 2)) + 1 : 0) {
        if (b + t + 4 <= m) {
          e.shortPath_ = p.left(b) + QStringLiteral("...") + kSep + file;
          break;
        }
      }
    } else {
      e.shortPath_ = QString(std::min(m - t - 1, 3), QLatin1Char('.')) + kSep + file;
    }
    if (len <= m) e.shortPath_ = p;
    if (position == 1) lastFolder_ = p.left(l);
  });
}

void cuRecentFiles::Renumber() {
  for (size_t i = 0; i < entries_.size(); ++i) entries_[i]->name_ = QStringLiteral("File %1").arg(i + 1);
}

int cuRecentFiles::FindPath(const QString& path) const {
  const QString wanted = fileIdentity(path);
  for (size_t i = 0; i < entries_.size(); ++i)
    if (fileIdentity(entries_[i]->fullPath_) == wanted) return static_cast<int>(i + 1);
  return 0;
}
