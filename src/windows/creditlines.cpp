#include "windows/creditlines.h"

#include <QBoxLayout>
#include <QLabel>

void addCreditLines(QBoxLayout* column, std::span<const char* const> lines, int pointSize)
{
    for (const char* line : lines) {
        auto* label = new QLabel(line);
        label->setFont(QFont("Arial", pointSize));
        label->setAlignment(Qt::AlignCenter);
        column->addWidget(label);
    }
}
