#pragma once

#include <QString>

namespace morvelin {

class Desktop;

// Opens a web address the one way the program does, for its links and for the makers' page at the
// close alike: the desktop's own handler first; where it refuses, the browser started by the
// program itself (on Windows the command that opens ".htm" files, elsewhere xdg-open), with the
// address as one argument of its own, never through a shell. False when neither could.
bool OpenWebPage(Desktop& desktop, const QString& url);

// The part of a browser's "open" command line that comes before its "%1" placeholder: the line
// is cut at its first "%1" in double quotes or, failing that, at its first bare %1; a line with
// neither is kept whole. The Windows fallback appends the address to what is left.
QString CutBrowserCommand(const QString& commandLine);

}  // namespace morvelin
