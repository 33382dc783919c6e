#include "SetupRecordedBoxesTest.h"

#include "app/ResultSinks.h"
#include "app/TMainApp.h"

size_t recordedBoxCount(TMainApp& window)
{
    RecordingSink* boxes = window.recordedBoxes();
    return boxes ? boxes->size() : 0;
}

QString takeRecordedBox(TMainApp& window)
{
    RecordingSink* boxes = window.recordedBoxes();
    return boxes ? boxes->takeFirst() : QString();
}
