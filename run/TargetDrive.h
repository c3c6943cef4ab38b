#pragma once
// The diskette drive A: as a target of the SEPA file. Only Windows has one; elsewhere the
// drive counts as not writable, so nothing is ever deleted.

#include <QString>

namespace qvl {

// Creates, closes and deletes "A:\Test.txt"; false when any of it fails.
bool DisketteWritable();

// Deletes every file and folder on A:, read-only ones too; errors are ignored.
void ClearDiskette();

// Sets the volume label of A:; false when it cannot be set.
bool SetDisketteLabel(const QString &label);

} // namespace qvl
