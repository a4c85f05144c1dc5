#pragma once
// Undoing a change whose rules failed: the document and the server go back to the
// checkpoint taken before the rules ran, the item to its value before the change, and the
// user is told why, and which settings the server kept.

#include <QObject>

#include <string>

class CConfigItem;
class ConfigCheckpoint;

// item may be null when the rules removed its row; the caption then is the owner's.
void UndoFailedChange(ConfigCheckpoint& checkpoint, CConfigItem* item, const std::string& why,
                      const std::string& caption, QObject* owner);
