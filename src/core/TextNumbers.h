#pragma once

#include <QString>

/**
 * Numbers read from text the operator typed or the scanner sent, the forgiving way: leading
 * blanks are skipped and reading stops at the first character that does not belong to the
 * number, so " 3x" reads 3 and "x" reads 0.
 */
namespace TextNumbers {

/// The whole number at the start of the text, with an optional sign; clamped to the int range.
int leadingInt(const QString& text);
/// The decimal number at the start of the text ("155.5 MHz" reads 155.5); a sign is not read.
double leadingValue(const QString& text);
/// True when the text is one or more of the digits 0 to 9 and nothing else.
bool isAllDigits(const QString& text);

} // namespace TextNumbers
