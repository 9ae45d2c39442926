#pragma once

#include <QImage>

#include <array>

// The row of change marks: a ring of the last 28 rates and the 27 changes between them,
// drawn oldest at the left.
class DeltaHistory {
public:
    static constexpr int Size = 28;

    // Makes the next rate fill the whole ring, so the row starts level.
    void Reset();
    // Adds the rate to the ring and redraws the whole image.
    void DrawDeltaImage(double rate, QImage& image);

    const std::array<double, Size>& RateHistory() const { return m_history; }
    // The slot the next rate takes, which also holds the oldest rate.
    int HistoryIndex() const { return m_index; }
    bool HistoryResetPending() const { return m_resetPending; }

private:
    std::array<double, Size> m_history{};
    int m_index = 0;
    // Until the first rate the ring holds nothing worth comparing with.
    bool m_resetPending = true;
};
