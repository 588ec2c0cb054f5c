#pragma once
// Reaching the GUI thread from a procedure thread, and the text conversions
// between the core's UTF-8 strings and Qt's.
#include <QString>
#include <functional>
#include <string>
#include <string_view>

namespace vornel::platform::qt {

bool OnGuiThread();

// Runs `work` on the GUI thread and returns when it is done: directly when
// called there, else queued to the GUI thread while the caller waits. Only a
// procedure thread waits this way; the GUI thread never waits for one.
void RunOnGui(const std::function<void()>& work);

inline QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQt(const QString& text) { return text.toStdString(); }

}  // namespace vornel::platform::qt
