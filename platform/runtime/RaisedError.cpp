#include "platform/runtime/RaisedError.h"

#include <new>
#include <utility>

namespace rt {

RaisedError::RaisedError(int32_t number_, QString source_, QString description_, QString helpFile_,
                         int32_t helpContext_, int32_t line_)
    : number(number_),
      source(std::move(source_)),
      description(std::move(description_)),
      helpFile(std::move(helpFile_)),
      helpContext(helpContext_),
      line(line_) {}

const char* RaisedError::what() const noexcept {
  try {
    what_ = QStringLiteral("%1 [%2] %3").arg(number).arg(source, description).toStdString();
  } catch (...) {
    return "RaisedError";
  }
  return what_.c_str();
}

RaisedError currentError() {
  std::exception_ptr ex = std::current_exception();
  if (!ex) return RaisedError();
  try {
    std::rethrow_exception(ex);
  } catch (const RaisedError& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return RaisedError(kErrOutOfMemory, QString(), QStringLiteral("Nicht genügend Speicher."));
  } catch (const std::exception& e) {
    return RaisedError(kErrInternal, QString(),
                       QStringLiteral("Interner Fehler: %1").arg(QString::fromLocal8Bit(e.what())));
  } catch (...) {
    return RaisedError(kErrInternal, QString(), QStringLiteral("Interner Fehler."));
  }
}

}  // namespace rt
