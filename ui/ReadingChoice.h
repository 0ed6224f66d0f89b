#pragma once

#include "KeywordTable.h"
#include "StoredFile.h"

#include <QList>

class QWidget;

// Asks which of two readings of a keyword list is right, showing the first records of each, the
// likelier one (the first) chosen already. Answers the index of the reading, or -1 when the user
// cancels.
int AskWhichReading(QWidget *parent, const QList<StoredFile::Encoding> &encodings,
                    const QList<QList<KeywordTable::Record>> &readings);
