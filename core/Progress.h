#pragma once

// Where the list routines show how far they have come: a percentage from 0 to 100.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void setPercent(double percent) = 0;
};
