#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>

/**
 * What every fuzz target shares: the application object, Qt's own warnings turned into crashes, and the
 * input as bytes cut into the reads a port or a socket would deliver.
 */
namespace FuzzHarness {

/// Call from LLVMFuzzerInitialize. The program's own diagnostics are silenced (odd input is expected to
/// produce them); a warning Qt still prints is a misuse of Qt, such as a negative timer interval, and aborts.
void start(int* argc, char*** argv);
/// Runs what the input left on the event loop: zero-time timers, answered message boxes, deferred deletes.
void settle();
/// The input without copying it.
QByteArray bytes(const uint8_t* data, size_t size);
/// The reads that deliver the bytes from the scanner: each LF ends one and is not delivered (the scanner ends
/// its lines with CR alone), so a corpus file holds one read per line.
QList<QByteArray> reads(const QByteArray& bytes);

} // namespace FuzzHarness
