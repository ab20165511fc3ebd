#pragma once

#include <QString>

/**
 * Frequencies inside the simulator are whole steps of 100 Hz, so 154.25 MHz is 1542500 and no
 * rounding ever creeps into a reply.
 */
namespace SimFrequency {

/// Reads "154.25", "0154.2500" or "851.0125" (MHz, at most four decimals). False on anything else.
bool parse(const QString& text, int* steps);
/// The eight-digit form of the replies and commands: 1542500 gives "01542500".
QString digits(int steps);
/// Reads eight digits back into steps; false unless the text is exactly eight digits.
bool fromDigits(const QString& text, int* steps);
/// "154.2500", for logs.
QString text(int steps);

} // namespace SimFrequency
