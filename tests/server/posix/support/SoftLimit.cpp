#include "SoftLimit.h"

SoftLimit::SoftLimit(int resource, rlim_t limit)
    : m_resource(resource)
{
    getrlimit(resource, &m_saved);
    rlimit lowered = m_saved;
    lowered.rlim_cur = limit;
    setrlimit(resource, &lowered);
}

SoftLimit::~SoftLimit()
{
    setrlimit(m_resource, &m_saved);
}
