#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// The readers of everything the program takes from a file, as fuzz entry
// points: a protocol document read into one composer, and the four
// reference files. Each runs one input and returns 0; the libFuzzer
// programs in this folder and the corpus replay test call them alike.
namespace fuzz {

enum class ETarget { Document, Technicians, Tools, Optional, WorkDir };

// The folder name of a target's corpus, and the target of a folder name.
QString targetName(ETarget eTarget);

int runDocument(const uint8_t* pData, size_t iSize);
int runTechnicians(const uint8_t* pData, size_t iSize);
int runTools(const uint8_t* pData, size_t iSize);
int runOptional(const uint8_t* pData, size_t iSize);
int runWorkDir(const uint8_t* pData, size_t iSize);
int run(ETarget eTarget, const QByteArray& input);

// The document the composer writes back after its last read, and its print.
QByteArray documentWrittenBack();
QString protocolHtml();

} // namespace fuzz
