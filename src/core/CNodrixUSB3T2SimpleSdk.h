#pragma once
// The camera core the connection creates: the base core with a destructor
// of its own and every other operation inherited.

#include "core/CNodrixU3T2Base.h"

namespace nodrix {

class CNodrixUSB3T2SimpleSdk : public CNodrixU3T2Base {
public:
    CNodrixUSB3T2SimpleSdk() = default;
    ~CNodrixUSB3T2SimpleSdk() override;
};

}  // namespace nodrix
