#include "common/log_session.h"

#include "support/log.h"

namespace tessel::test {

LogSession::LogSession() : current_(dir_.path()) { LogStart("test", "Tessel", "", "Tessel"); }

LogSession::~LogSession() { LogEnd(); }

std::string LogSession::LogPath() const { return dir_.File("Tessel.Log"); }

std::string LogSession::Text() const { return ReadTextFile(LogPath()); }

}  // namespace tessel::test
