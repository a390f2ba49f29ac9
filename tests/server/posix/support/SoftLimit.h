#pragma once
// Lowers a soft resource limit of this process while it lives.
#include <sys/resource.h>

class SoftLimit {
public:
    SoftLimit(int resource, rlim_t limit);
    ~SoftLimit();

private:
    int m_resource;
    rlimit m_saved{};
};
