#pragma once

#include <span>

class QBoxLayout;

// Adds each line to the column as a centred label in Arial of the given size (the credits of the help and about windows).
void addCreditLines(QBoxLayout* column, std::span<const char* const> lines, int pointSize);
