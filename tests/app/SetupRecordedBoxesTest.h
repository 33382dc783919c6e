// The error boxes a script-mode window recorded, for tests that also use the
// recording fake adapter (whose header has a sink class of the same name as
// the window's, so the two headers cannot meet in one file).
#pragma once

#include <QString>
#include <cstddef>

class TMainApp;

size_t recordedBoxCount(TMainApp& window);
// The oldest recorded box, removed from the record; empty when there is none.
QString takeRecordedBox(TMainApp& window);
