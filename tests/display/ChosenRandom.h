#pragma once

#include "display/RandomSource.h"

#include <QList>

// Hands out the values the test chose, in the order they are drawn; 0 once they run out.
class ChosenRandom : public RandomSource
{
public:
    explicit ChosenRandom(QList<double> values) : m_values(std::move(values)) {}
    double next() override { return m_values.isEmpty() ? 0.0 : m_values.takeFirst(); }
    qsizetype left() const { return m_values.size(); }

private:
    QList<double> m_values;
};
