#pragma once
// The program ends in order however it is told to end: its window closed,
// the application told to quit without closing it, a termination signal
// (SIGTERM, SIGINT, SIGHUP), the desktop logging out. Each time the
// conditions are kept (ConditionsDocument::recordEnd) before it goes.

namespace tarnel {

class ConditionsDocument;

// Called once the application and the document exist. A termination signal
// ends the program as a quit does, without questions (no one is there to
// answer them); the document's end is recorded first. On Windows the desktop's
// end of session arrives as the application's request to save.
void endInOrder(ConditionsDocument& document);

}  // namespace tarnel
