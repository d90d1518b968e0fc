#pragma once

#include <vector>

// The dominant frequency of up to three axes of one burst from their DFTs (kissfft): for values v
// of length n with mean m, X = DFT(v - m) and k* the k in 1 .. floor(n/2) with the largest |X_k|, the
// lowest such k when several are equal within rounding. Keeps its FFT plans and buffers between
// calls; one object per thread.
class axis_spectrum
{
public:
    struct peak
    {
        double frequency_hz; // k* f / n; NaN for n < 2 or no finite rate
        double amplitude;    // 2 |X_k*| / n, in the values' units
    };

    axis_spectrum();
    ~axis_spectrum();
    axis_spectrum(const axis_spectrum&) = delete;
    axis_spectrum& operator=(const axis_spectrum&) = delete;

    // axes[a] holds n values (means already taken off or not: the mean is removed here).
    void dominant(const double* const axes[3], int n, double frequency_hz, peak out[3]);

private:
    struct plan;
    plan* plan_for(int n);
    peak choose(const double* values, double mean, int n, double frequency_hz, const float* magnitudes,
                const plan& p) const;

    std::vector<plan*> plans_; // by n, created on first use
    std::vector<float> in_, out_;
    std::vector<float> magnitudes_[3];
};
