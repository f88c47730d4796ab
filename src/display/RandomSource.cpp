#include "display/RandomSource.h"

namespace {
RandomSource*& installed()
{
    static RandomSource* source = nullptr;
    return source;
}
} // namespace

double RandomSource::next()
{
    m_state = step(m_state);
    return double(m_state) / double(1u << 24);
}

RandomSource& RandomSource::current()
{
    static RandomSource program;
    return installed() ? *installed() : program;
}

void RandomSource::set(RandomSource* source)
{
    installed() = source;
}
