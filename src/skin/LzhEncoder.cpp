#include "skin/LzhEncoder.h"

#include "skin/LzhTree.h"

#include <algorithm>
#include <vector>

namespace skin {

namespace {

using namespace lzh;

class BitWriter {
public:
    void Bit(int bit)
    {
        byte_ = uint8_t((byte_ << 1) | (bit & 1));
        if (++count_ == 8) {
            out_.append(char(byte_));
            byte_ = 0;
            count_ = 0;
        }
    }
    void Bits(int count, unsigned value) // the low count bits, highest first
    {
        for (int i = count - 1; i >= 0; --i)
            Bit(int((value >> i) & 1));
    }
    QByteArray Finish()
    {
        while (count_ != 0)
            Bit(0);
        return out_;
    }

private:
    QByteArray out_;
    uint8_t byte_ = 0;
    int count_ = 0;
};

// Finds the longest earlier match for each position with a binary search
// tree per leading byte, over the last RingPrefill positions.
class Matcher {
public:
    static constexpr int Nil = RingSize;

    Matcher()
        : text(RingSize + LookAhead - 1, ' '), left_(RingSize + 1, Nil), right_(RingSize + 257, Nil),
          parent_(RingSize + 1, Nil)
    {
    }

    void Insert(int r)
    {
        int cmp = 1;
        const uint8_t *key = &text[r];
        int p = RingSize + 1 + key[0];
        right_[r] = left_[r] = Nil;
        matchLength = 0;
        for (;;) {
            if (cmp >= 0) {
                if (right_[p] != Nil) {
                    p = right_[p];
                } else {
                    right_[p] = r;
                    parent_[r] = p;
                    return;
                }
            } else {
                if (left_[p] != Nil) {
                    p = left_[p];
                } else {
                    left_[p] = r;
                    parent_[r] = p;
                    return;
                }
            }
            int i = 1;
            for (; i < LookAhead; ++i) {
                cmp = key[i] - text[p + i];
                if (cmp != 0)
                    break;
            }
            if (i > Threshold) {
                const int distance = ((r - p) & (RingSize - 1)) - 1;
                if (i > matchLength) {
                    matchPosition = distance;
                    matchLength = i;
                    if (matchLength >= LookAhead)
                        break;
                } else if (i == matchLength && distance < matchPosition) {
                    matchPosition = distance;
                }
            }
        }
        // A full-length match: r takes p's place in the tree.
        parent_[r] = parent_[p];
        left_[r] = left_[p];
        right_[r] = right_[p];
        parent_[left_[p]] = r;
        parent_[right_[p]] = r;
        if (right_[parent_[p]] == p)
            right_[parent_[p]] = r;
        else
            left_[parent_[p]] = r;
        parent_[p] = Nil;
    }

    void Delete(int p)
    {
        if (parent_[p] == Nil)
            return;
        int q;
        if (right_[p] == Nil) {
            q = left_[p];
        } else if (left_[p] == Nil) {
            q = right_[p];
        } else {
            q = left_[p];
            if (right_[q] != Nil) {
                do {
                    q = right_[q];
                } while (right_[q] != Nil);
                right_[parent_[q]] = left_[q];
                parent_[left_[q]] = parent_[q];
                left_[q] = left_[p];
                parent_[left_[p]] = q;
            }
            right_[q] = right_[p];
            parent_[right_[p]] = q;
        }
        parent_[q] = parent_[p];
        if (right_[parent_[p]] == p)
            right_[parent_[p]] = q;
        else
            left_[parent_[p]] = q;
        parent_[p] = Nil;
    }

    std::vector<uint8_t> text;
    int matchPosition = 0;
    int matchLength = 0;

private:
    std::vector<int> left_, right_, parent_;
};

class Encoder {
public:
    void Symbol(int symbol)
    {
        // The path from the leaf up to the root, sent root first. It may be
        // longer than 16 bits when the weights are skewed enough.
        path_.clear();
        for (int k = tree_.Parent[symbol + TableSize]; k != Root; k = tree_.Parent[k])
            path_.push_back(k & 1);
        stats.LongestCode = std::max(stats.LongestCode, int(path_.size()));
        for (auto it = path_.rbegin(); it != path_.rend(); ++it)
            out.Bit(*it);
        tree_.Update(symbol);
    }

    void Position(int position)
    {
        const PositionCode &codes = Positions();
        const int upper = position >> 6;
        out.Bits(codes.Length[upper], unsigned(codes.Code[upper]) >> (8 - codes.Length[upper]));
        out.Bits(6, unsigned(position & 0x3F));
    }

    BitWriter out;
    TLzhPackStats stats;

private:
    HuffmanTree tree_;
    std::vector<int> path_;
};

} // namespace

QByteArray LzhPack(const QByteArray &data, TLzhPackStats *stats)
{
    if (data.isEmpty()) {
        if (stats != nullptr)
            *stats = {};
        return {};
    }
    Matcher m;
    Encoder enc;
    const auto *input = reinterpret_cast<const uint8_t *>(data.constData());
    const qsizetype size = data.size();
    qsizetype next = 0;

    int s = 0;
    int r = RingPrefill;
    int len = 0;
    for (; len < LookAhead && next < size; ++len)
        m.text[r + len] = input[next++];
    for (int i = 1; i <= LookAhead; ++i)
        m.Insert(r - i);
    m.Insert(r);
    do {
        if (m.matchLength > len)
            m.matchLength = len;
        if (m.matchLength <= Threshold) {
            m.matchLength = 1;
            enc.Symbol(m.text[r]);
            ++enc.stats.Literals;
        } else {
            enc.Symbol(255 - Threshold + m.matchLength);
            enc.Position(m.matchPosition);
            ++enc.stats.Matches;
        }
        const int last = m.matchLength;
        int i = 0;
        for (; i < last && next < size; ++i) {
            const uint8_t c = input[next++];
            m.Delete(s);
            m.text[s] = c;
            if (s < LookAhead - 1)
                m.text[s + RingSize] = c; // mirrored so comparisons need no wrap
            s = (s + 1) & (RingSize - 1);
            r = (r + 1) & (RingSize - 1);
            m.Insert(r);
        }
        for (; i < last; ++i) {
            m.Delete(s);
            s = (s + 1) & (RingSize - 1);
            r = (r + 1) & (RingSize - 1);
            if (--len)
                m.Insert(r);
        }
    } while (len > 0);
    if (stats != nullptr)
        *stats = enc.stats;
    return enc.out.Finish();
}

QByteArray LzhPackTokens(const std::vector<TLzhToken> &tokens, TLzhPackStats *stats)
{
    Encoder enc;
    for (const TLzhToken &t : tokens) {
        enc.Symbol(t.Symbol);
        if (t.Symbol >= 256) {
            enc.Position(t.Position);
            ++enc.stats.Matches;
        } else {
            ++enc.stats.Literals;
        }
    }
    if (stats != nullptr)
        *stats = enc.stats;
    return enc.out.Finish();
}

} // namespace skin
