#pragma once
#include "platform/vcl/ComCtrls_header.h"
