#pragma once
// Mode > "&Watch" (F8): opens the watch window of the station's technique for the active
// observation document, or closes it when one is open. A watch belongs to that document:
// closing the document first closes its watch (recording ends as "Record Off" ends it).

class CMainWindow;
class CObsDocWindow;
class CWatchWindow;

void AttachWatchCommands(CMainWindow& window);
// The watch window open for `document` (null: none).
CWatchWindow* WatchWindowOf(const CObsDocWindow* document);
// Closes the watch open for `document`, if any (recording ends as "Record Off" ends it).
void CloseWatchOf(const CObsDocWindow* document);
