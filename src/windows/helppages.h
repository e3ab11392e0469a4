#pragma once

#include <QString>

// The text of the help page with the given topic number (1..6, 11); empty for any other.
QString helpPageText(int topic);
