#pragma once
// Standard error is the program's record, and Qt's own warnings do not
// belong in it: started without XDG_RUNTIME_DIR (as a service, or by sudo) Qt
// says which runtime folder it chose, and a display that cannot be opened is
// said by the program in its own words. Qt's critical and fatal messages,
// which an administrator needs (no platform plugin that loads, for one), are
// record lines.
void KeepQtWarningsOutOfRecord();
