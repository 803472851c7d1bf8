#include "ScratchArray.h"

#include <limits>
#include <new>

double* ScratchArray::Take(std::size_t count) {
    if (count > arrayCount) {
        array.reset();
        arrayCount = 0;
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(double)) {
            throw std::bad_array_new_length();
        }
        array.reset(
            static_cast<double*>(::operator new (count * sizeof(double), std::align_val_t{64})));
        arrayCount = count;
    }
    return array.get();
}

void ScratchArray::Release() {
    array.reset();
    arrayCount = 0;
}

void ScratchArray::AlignedDelete::operator()(double* p) const {
    ::operator delete (p, std::align_val_t{64});
}
