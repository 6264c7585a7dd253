#!/usr/bin/env python3
"""Writes assets/files/parvexdone.wav: the short two-note chime played when a comparison or a
synchronisation has finished. Run once; the generated file is committed."""
import math
import os
import struct
import wave

RATE = 22050
AMPLITUDE = 0.45


def bell(freq, start, length, total):
    """A soft bell tone: a fundamental with two quiet overtones and an exponential decay."""
    samples = [0.0] * total
    first = int(start * RATE)
    for i in range(int(length * RATE)):
        t = i / RATE
        attack = min(1.0, t / 0.008)  # no click at the start
        decay = math.exp(-t * 5.5)
        tone = (math.sin(2 * math.pi * freq * t)
                + 0.35 * math.sin(2 * math.pi * freq * 2.0 * t) * math.exp(-t * 4)
                + 0.12 * math.sin(2 * math.pi * freq * 3.01 * t) * math.exp(-t * 8))
        if first + i < total:
            samples[first + i] += attack * decay * tone
    return samples


def main():
    duration = 0.95
    total = int(duration * RATE)
    first = bell(880.0, 0.0, 0.9, total)     # A5
    second = bell(1318.5, 0.14, 0.8, total)  # E6, a fifth above
    mixed = [a + 0.8 * b for a, b in zip(first, second)]
    peak = max(abs(s) for s in mixed)
    fade = int(0.05 * RATE)
    frames = bytearray()
    for i, s in enumerate(mixed):
        if i >= total - fade:
            s *= (total - i) / fade
        frames += struct.pack('<h', int(s / peak * AMPLITUDE * 32767))
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'assets', 'files', 'parvexdone.wav')
    with wave.open(out, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


if __name__ == '__main__':
    main()
