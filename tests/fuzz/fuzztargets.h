#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// The readers of everything the program takes from a file, as fuzz entry
// points: the records of a protocol document, the reference list files and
// the actions files beside them. Each runs one input and
// returns 0, and aborts when what it read does not write back as read; the
// libFuzzer programs in this folder and the corpus replay test call them
// alike.
namespace fuzz {

enum class ETarget { Document, Technicians, Tools, Optional, WorkDir };

// The folder name of a target's corpus.
QString targetName(ETarget eTarget);

int runDocument(const uint8_t* pData, size_t iSize);
int runTechnicians(const uint8_t* pData, size_t iSize);
int runTools(const uint8_t* pData, size_t iSize);
int runOptional(const uint8_t* pData, size_t iSize);
int runWorkDir(const uint8_t* pData, size_t iSize);
int run(ETarget eTarget, const QByteArray& input);

} // namespace fuzz
