#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <variant>

namespace rt {

// The dynamically typed value of the program: a record field, an optional parameter, a
// message argument. Empty means never set, Null means "no value" (a database field without
// value). Whole numbers are kept in 64 bits so byte sizes never overflow.
class Variant {
 public:
  enum class Type { Empty, Null, Boolean, Long, Double, Date, Text, Binary };

  Variant() = default;
  Variant(bool b) : type_(Type::Boolean), v_(b) {}
  Variant(int i) : type_(Type::Long), v_(static_cast<int64_t>(i)) {}
  Variant(long i) : type_(Type::Long), v_(static_cast<int64_t>(i)) {}
  Variant(long long i) : type_(Type::Long), v_(static_cast<int64_t>(i)) {}
  Variant(unsigned int i) : type_(Type::Long), v_(static_cast<int64_t>(i)) {}
  Variant(double d) : type_(Type::Double), v_(d) {}
  Variant(const QString& s) : type_(Type::Text), v_(s) {}
  Variant(const char* s) : type_(Type::Text), v_(QString::fromUtf8(s)) {}
  Variant(const QByteArray& b) : type_(Type::Binary), v_(b) {}

  static Variant null() {
    Variant v;
    v.type_ = Type::Null;
    return v;
  }
  // An OLE date: days since 1899-12-30, the fraction is the time of day.
  static Variant date(double oleDate) {
    Variant v(oleDate);
    v.type_ = Type::Date;
    return v;
  }
  static Variant fromDateTime(const QDateTime& dt);

  Type type() const { return type_; }
  bool isEmpty() const { return type_ == Type::Empty; }
  bool isNull() const { return type_ == Type::Null; }
  bool isNumeric() const {
    return type_ == Type::Boolean || type_ == Type::Long || type_ == Type::Double || type_ == Type::Date;
  }
  bool isText() const { return type_ == Type::Text; }

  // Conversions follow the runtime's rules: Empty is 0 or "", Null is 0 or "" as well (callers
  // that must tell Null apart test isNull() first), True is -1, texts are parsed as numbers.
  bool toBool() const;
  int64_t toLong() const;
  int32_t toInt() const { return static_cast<int32_t>(toLong()); }
  double toDouble() const;
  QString toText() const;
  QByteArray toBinary() const;
  QDateTime toDateTime() const;

  // Same type and same value (Null equals Null).
  bool operator==(const Variant& o) const;
  bool operator!=(const Variant& o) const { return !(*this == o); }

 private:
  Type type_ = Type::Empty;
  std::variant<std::monostate, bool, int64_t, double, QString, QByteArray> v_;
};

inline const Variant Null = Variant::null();

// OLE date numbers, local time as the program keeps it (no time zone).
double oleDateFromDateTime(const QDateTime& dt);
QDateTime dateTimeFromOleDate(double oleDate);

}  // namespace rt
