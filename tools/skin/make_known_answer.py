#!/usr/bin/env python3
"""Writes the known-answer skin package the decoder's tests compare with.

    make_known_answer.py DESCRIPTION OUTPUT

The package holds two entries: the description text given, and 34,000 bytes
of noise from the generator below (which the test runs too). Its compressed
stream comes from the encoder in this file, written on its own from the
format of skin packages and sharing nothing with the program's tree code, so
that a fault in the program's decoder cannot be cancelled by the same fault
in the program's encoder:

- LZSS over a 4096-byte ring whose first 4036 bytes start as spaces, writing
  from position 4036; matches of 3 to 60 bytes, sent as symbol 253 + length
  and the position (write position - source - 1) mod 4096;
- an adaptive Huffman code over 314 symbols (256 literals, then the match
  lengths), 627 nodes with the root at 626, every leaf starting at frequency
  1 and internal node k joining nodes 2(k - 314) and 2(k - 314) + 1; after
  each symbol the frequencies on its path grow by one, a node that passes its
  right-hand neighbours changing places with the last node of lower
  frequency, and the whole tree is rebuilt with halved leaf frequencies when
  the root reaches 32768;
- the upper six bits of a match position as a prefix code of 3 to 8 bits,
  handed out in increasing order by length (1, 3, 8, 12, 24 and 16 codes),
  the lower six bits as they are;
- bits most significant first, the last byte filled with zeros.

The noise is almost all literals, so the root reaches 32768 and the tree is
rebuilt once; the description has repeats, runs that overlap their own
match, and the archive's two reserved words are spaces, which match the
ring's spaces before anything was written. Run once; the output is stored
with the tests. It is not part of the build.
"""

import struct
import sys

RING = 4096
LOOKAHEAD = 60
THRESHOLD = 2
SYMBOLS = 256 - THRESHOLD + LOOKAHEAD  # 314
NODES = 2 * SYMBOLS - 1  # 627
ROOT = NODES - 1  # 626
MAX_FREQ = 0x8000
PREFILL = RING - LOOKAHEAD  # 4036


def noise(count, seed=20000):
    """Bytes of a linear congruential generator: the top byte of each state."""
    out = bytearray()
    state = seed
    for _ in range(count):
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        out.append(state >> 24)
    return bytes(out)


class Bits:
    def __init__(self):
        self.bits = []

    def put(self, value, count):
        for i in range(count - 1, -1, -1):
            self.bits.append((value >> i) & 1)

    def bytes(self):
        padded = self.bits + [0] * (-len(self.bits) % 8)
        out = bytearray()
        for i in range(0, len(padded), 8):
            byte = 0
            for bit in padded[i:i + 8]:
                byte = (byte << 1) | bit
            out.append(byte)
        return bytes(out)


class Tree:
    """The adaptive code. freq/son/parent are indexed by node; a son value of
    NODES or more is a leaf (symbol = value - NODES), any other is the left
    child, its right child being the next node. leaf_node[s] is the node that
    holds symbol s."""

    def __init__(self):
        self.freq = [0] * (NODES + 1)
        self.son = [0] * NODES
        self.parent = [0] * NODES
        self.leaf_node = [0] * SYMBOLS
        for s in range(SYMBOLS):
            self.freq[s] = 1
            self.son[s] = s + NODES
            self.leaf_node[s] = s
        child = 0
        for node in range(SYMBOLS, NODES):
            self.freq[node] = self.freq[child] + self.freq[child + 1]
            self.son[node] = child
            self.parent[child] = self.parent[child + 1] = node
            child += 2
        self.freq[NODES] = 0xFFFF  # stops the search for a place
        self.parent[ROOT] = 0

    def code(self, symbol):
        """The bits from the root down to the symbol's leaf."""
        bits = []
        node = self.leaf_node[symbol]
        while node != ROOT:
            bits.append(node & 1)
            node = self.parent[node]
        return bits[::-1]

    def rebuild(self):
        leaves = [(self.freq[n], self.son[n]) for n in range(NODES) if self.son[n] >= NODES]
        freq = [(f + 1) // 2 for f, _ in leaves]
        son = [s for _, s in leaves]
        child = 0
        for node in range(SYMBOLS, NODES):
            f = freq[child] + freq[child + 1]
            # The new node goes after the last one whose frequency is not
            # above its own.
            place = node
            while place > 0 and f < freq[place - 1]:
                place -= 1
            freq.insert(place, f)
            son.insert(place, child)
            child += 2
        self.freq[:NODES] = freq
        self.son[:] = son
        for node in range(NODES):
            s = self.son[node]
            if s >= NODES:
                self.leaf_node[s - NODES] = node
            else:
                self.parent[s] = self.parent[s + 1] = node

    def set_son(self, node, s):
        self.son[node] = s
        if s >= NODES:
            self.leaf_node[s - NODES] = node
        else:
            self.parent[s] = self.parent[s + 1] = node

    def update(self, symbol):
        if self.freq[ROOT] == MAX_FREQ:
            self.rebuild()
        node = self.leaf_node[symbol]
        while True:
            self.freq[node] += 1
            k = self.freq[node]
            if k > self.freq[node + 1]:
                last = node + 1
                while k > self.freq[last + 1]:
                    last += 1
                self.freq[node] = self.freq[last]
                self.freq[last] = k
                mine, theirs = self.son[node], self.son[last]
                self.set_son(last, mine)
                self.set_son(node, theirs)
                node = last
            node = self.parent[node]
            if node == 0:
                break


def position_codes():
    """(length, code left-aligned in 8 bits) for each of the 64 upper parts."""
    lengths = [3] * 1 + [4] * 3 + [5] * 8 + [6] * 12 + [7] * 24 + [8] * 16
    codes = []
    next_code = 0
    for length in lengths:
        codes.append((length, next_code))
        next_code += 1 << (8 - length)
    assert next_code == 256
    return codes


def compress(data):
    tree = Tree()
    bits = Bits()
    positions = position_codes()
    history = b" " * PREFILL + data  # what the ring has held, in order
    chains = {}  # three bytes -> where they start in history

    def remember(at):
        key = history[at:at + 3]
        if len(key) == 3:
            chains.setdefault(key, []).append(at)

    registered = 0  # every start before this one is in the chains

    def register_before(limit):
        nonlocal registered
        while registered < limit:
            remember(registered)
            registered += 1

    register_before(PREFILL)

    def send(symbol):
        for bit in tree.code(symbol):
            bits.put(bit, 1)
        tree.update(symbol)

    here = PREFILL
    end = len(history)
    while here < end:
        longest, source = 0, 0
        limit = min(LOOKAHEAD, end - here)
        for start in reversed(chains.get(history[here:here + 3], [])[-512:]):
            if here - start > RING:
                break
            n = 0
            while n < limit and history[start + n] == history[here + n]:
                n += 1
            if n > longest:
                longest, source = n, start
                if n == limit:
                    break
        if longest > THRESHOLD:
            send(255 - THRESHOLD + longest)
            distance = (here - source - 1) % RING
            length, code = positions[distance >> 6]
            bits.put(code >> (8 - length), length)
            bits.put(distance & 0x3F, 6)
            step = longest
        else:
            send(history[here])
            step = 1
        here += step
        register_before(here)
    return bits.bytes()


def archive(entries):
    names = b"".join(name + b"\r\n" for name, _ in entries)
    header = struct.pack("<iiii", 20000, len(names), 0x20202020, 0x20202020)
    sizes = b"".join(struct.pack("<i", len(content)) for _, content in entries)
    return header + names + sizes + b"".join(content for _, content in entries)


def main():
    if len(sys.argv) != 3:
        sys.stderr.write("usage: make_known_answer.py DESCRIPTION OUTPUT\n")
        return 2
    with open(sys.argv[1], "rb") as f:
        description = f.read()
    data = archive([(b"known.ini", description), (b"noise.bin", noise(34000))])
    with open(sys.argv[2], "wb") as f:
        f.write(struct.pack("<i", len(data)) + compress(data))
    return 0


if __name__ == "__main__":
    sys.exit(main())
