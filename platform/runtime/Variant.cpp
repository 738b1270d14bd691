#include "platform/runtime/Variant.h"

#include <QLocale>

#include <cmath>

namespace rt {

namespace {
const QDate kOleEpoch(1899, 12, 30);
}

double oleDateFromDateTime(const QDateTime& dt) {
  const qint64 days = kOleEpoch.daysTo(dt.date());
  const double frac = dt.time().msecsSinceStartOfDay() / 86400000.0;
  // Before the epoch the fraction counts away from zero, as OLE dates do.
  return days >= 0 ? days + frac : days - frac;
}

QDateTime dateTimeFromOleDate(double oleDate) {
  double whole = std::trunc(oleDate);
  double frac = std::fabs(oleDate - whole);
  qint64 ms = std::llround(frac * 86400000.0);
  if (ms >= 86400000) {
    ms -= 86400000;
    whole += oleDate >= 0 ? 1 : -1;
  }
  return QDateTime(kOleEpoch.addDays(static_cast<qint64>(whole)),
                   QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

Variant Variant::fromDateTime(const QDateTime& dt) { return date(oleDateFromDateTime(dt)); }

bool Variant::toBool() const {
  switch (type_) {
    case Type::Boolean:
      return std::get<bool>(v_);
    case Type::Long:
      return std::get<int64_t>(v_) != 0;
    case Type::Double:
    case Type::Date:
      return std::get<double>(v_) != 0.0;
    case Type::Text: {
      const QString s = std::get<QString>(v_).trimmed();
      if (s.compare("true", Qt::CaseInsensitive) == 0 || s.compare("wahr", Qt::CaseInsensitive) == 0) return true;
      return toDouble() != 0.0;
    }
    default:
      return false;
  }
}

int64_t Variant::toLong() const {
  switch (type_) {
    case Type::Boolean:
      return std::get<bool>(v_) ? -1 : 0;
    case Type::Long:
      return std::get<int64_t>(v_);
    case Type::Double:
    case Type::Date:
      return static_cast<int64_t>(std::llround(std::get<double>(v_)));
    case Type::Text: {
      bool ok = false;
      const QString s = std::get<QString>(v_).trimmed();
      const qlonglong l = s.toLongLong(&ok);
      if (ok) return l;
      return static_cast<int64_t>(std::llround(toDouble()));
    }
    default:
      return 0;
  }
}

double Variant::toDouble() const {
  switch (type_) {
    case Type::Boolean:
      return std::get<bool>(v_) ? -1.0 : 0.0;
    case Type::Long:
      return static_cast<double>(std::get<int64_t>(v_));
    case Type::Double:
    case Type::Date:
      return std::get<double>(v_);
    case Type::Text: {
      const QString s = std::get<QString>(v_).trimmed();
      bool ok = false;
      double d = s.toDouble(&ok);
      if (!ok) d = QLocale().toDouble(s, &ok);
      return ok ? d : 0.0;
    }
    default:
      return 0.0;
  }
}

QString Variant::toText() const {
  switch (type_) {
    case Type::Boolean:
      return std::get<bool>(v_) ? QStringLiteral("Wahr") : QStringLiteral("Falsch");
    case Type::Long:
      return QString::number(std::get<int64_t>(v_));
    case Type::Double:
      return QString::number(std::get<double>(v_), 'g', 15);
    case Type::Date:
      return toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case Type::Text:
      return std::get<QString>(v_);
    case Type::Binary:
      return QString::fromLatin1(std::get<QByteArray>(v_));
    default:
      return QString();
  }
}

QByteArray Variant::toBinary() const {
  if (type_ == Type::Binary) return std::get<QByteArray>(v_);
  if (type_ == Type::Text) return std::get<QString>(v_).toUtf8();
  return QByteArray();
}

QDateTime Variant::toDateTime() const {
  if (type_ == Type::Empty || type_ == Type::Null) return QDateTime();
  if (type_ == Type::Text) {
    const QString s = std::get<QString>(v_);
    for (const char* fmt : {"dd.MM.yyyy hh:mm:ss", "dd.MM.yyyy", "yyyy-MM-ddThh:mm:ss", "yyyy-MM-dd hh:mm:ss"}) {
      QDateTime dt = QDateTime::fromString(s, QString::fromLatin1(fmt));
      if (dt.isValid()) return dt;
    }
    return QDateTime();
  }
  return dateTimeFromOleDate(toDouble());
}

bool Variant::operator==(const Variant& o) const { return type_ == o.type_ && v_ == o.v_; }

}  // namespace rt
