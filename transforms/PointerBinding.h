#pragma once

// Aims one of a transform's working pointers (Buffer, Temp) at an array for the length of a
// call and sets it back to null when the call ends, by return or by exception, so that the
// pointer never outlives the array it points at.
class PointerBinding {
public:
    PointerBinding(double*& member, double* target) : member(member) { member = target; }
    PointerBinding(const PointerBinding&) = delete;
    PointerBinding& operator=(const PointerBinding&) = delete;
    ~PointerBinding() { member = nullptr; }

private:
    double*& member;
};
