#pragma once
// Line speeds as plain numbers, for rates without a Bxxx constant. Results are 0 or an errno value.

#include <cstdint>

namespace xj {

int GetLineSpeed(int fd, uint32_t& rate);
int SetCustomLineSpeed(int fd, uint32_t rate);

}  // namespace xj
