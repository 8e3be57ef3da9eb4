// A tone on the sound output.
#pragma once

#include <memory>

class ToneService {
public:
    virtual ~ToneService() = default;
    // Sounds a tone and returns when it ends.
    virtual void Beep(int frequency, int milliseconds) = 0;
    // The tone on the sound output where there is one, the system beep otherwise.
    static std::unique_ptr<ToneService> MakeReal();
};
