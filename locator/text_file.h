#pragma once

#include <QString>

#include <string>

namespace kovr::locator {

// Writes `text` to the file at `path`, replacing what it held. False with
// the system's reason when it can't be written whole.
bool WriteTextFile(const QString &path, const std::string &text, QString &error);

} // namespace kovr::locator
