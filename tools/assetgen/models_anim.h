// Key-framed poses for the generated creatures: a pose is a plain record of floats, keys are
// blended with a Catmull-Rom curve, so motions pass through their keys without stopping at each.
#pragma once

#include <cmath>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace assetgen::models {

template <typename Pose>
struct Key {
  float time;  // in frames
  Pose pose;
};

template <typename Pose>
Pose CatmullRom(const Pose& p0, const Pose& p1, const Pose& p2, const Pose& p3, float t) {
  static_assert(std::is_trivially_copyable_v<Pose> && sizeof(Pose) % sizeof(float) == 0);
  constexpr size_t n = sizeof(Pose) / sizeof(float);
  float a[n], b[n], c[n], d[n], r[n];
  std::memcpy(a, &p0, sizeof a);
  std::memcpy(b, &p1, sizeof b);
  std::memcpy(c, &p2, sizeof c);
  std::memcpy(d, &p3, sizeof d);
  const float t2 = t * t, t3 = t2 * t;
  for (size_t i = 0; i < n; ++i)
    r[i] = 0.5f * (2 * b[i] + (c[i] - a[i]) * t + (2 * a[i] - 5 * b[i] + 4 * c[i] - d[i]) * t2 +
                   (3 * b[i] - a[i] - 3 * c[i] + d[i]) * t3);
  Pose out;
  std::memcpy(&out, r, sizeof r);
  return out;
}

// The pose at `time` (frames). Keys are sorted by time; a looping track treats the key list as a
// cycle of `length` frames (its first key repeats at `length`), otherwise ends are held.
template <typename Pose>
Pose Sample(const std::vector<Key<Pose>>& keys, float time, bool loop, float length) {
  const size_t n = keys.size();
  if (n == 1) return keys[0].pose;
  auto keyTime = [&](long i) {
    long wraps = static_cast<long>(std::floor(static_cast<double>(i) / static_cast<double>(n)));
    long j = i - wraps * static_cast<long>(n);
    return keys[static_cast<size_t>(j)].time + static_cast<float>(wraps) * length;
  };
  auto keyPose = [&](long i) -> const Pose& {
    if (loop) {
      long j = ((i % static_cast<long>(n)) + static_cast<long>(n)) % static_cast<long>(n);
      return keys[static_cast<size_t>(j)].pose;
    }
    if (i < 0) i = 0;
    if (i >= static_cast<long>(n)) i = static_cast<long>(n) - 1;
    return keys[static_cast<size_t>(i)].pose;
  };
  if (!loop) {
    if (time <= keys.front().time) return keys.front().pose;
    if (time >= keys.back().time) return keys.back().pose;
  } else {
    time = std::fmod(time, length);
    if (time < 0) time += length;
  }
  long i = loop ? -1 : 0;
  while (keyTime(i + 1) <= time) ++i;
  float t0 = loop ? keyTime(i) : keys[static_cast<size_t>(i)].time;
  float t1 = loop ? keyTime(i + 1) : keys[static_cast<size_t>(i + 1)].time;
  float t = (time - t0) / (t1 - t0);
  return CatmullRom(keyPose(i - 1), keyPose(i), keyPose(i + 1), keyPose(i + 2), t);
}

}  // namespace assetgen::models
