#pragma once
// Number texts for the differential checks of the readers against Qt's own number reading.

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

namespace test_support {

// Pieces that stress the number reading: the odd ones and random mixtures of number characters.
inline QList<QByteArray> odd_pieces()
{
    QList<QByteArray> pieces = {"",
                                "-0",
                                "0",
                                "1e3",
                                "+7",
                                "0x1F",
                                "inf",
                                "-inf",
                                "+inf",
                                "Inf",
                                "nan",
                                "-nan",
                                "NaN",
                                "3.4e39",
                                "-3.4e39",
                                "1e-50",
                                "1.5.2",
                                "7\t",
                                "\t7",
                                "7\r",
                                "\xd9\xa3", // Arabic-Indic digit three
                                "\xe2\x88\x92"
                                "5",         // minus sign U+2212
                                "5\xc2\xa0", // trailing no-break space
                                "\xef\xbb\xbf"
                                "5",     // a byte-order mark inside a line
                                "5\xc3", // truncated UTF-8 sequence
                                "123456789",
                                "1234567890",
                                "2147483648",
                                "-2147483649",
                                "4294967296",
                                "9999999999",
                                "16777217",
                                "-16777217",
                                "12345678901234567890",
                                "123456789012345678901234567890",
                                "0.1",
                                "-0.0",
                                "00.5",
                                "007",
                                "1.",
                                ".5",
                                "-.5",
                                "1e",
                                "E5",
                                "1E3",
                                "-",
                                "+",
                                ".",
                                "1,5",
                                "0.30000000000000004",
                                "3.4028235e38",
                                "3.4028236e38",
                                "1.17549435e-38",
                                "1e-45",
                                "0.0000000000000000001",
                                "99999999999999999999.5",
                                "123456789012345", // 15 and 16 digits: either side of the exact division
                                "1234567890123456",
                                "-99999999999999.9",
                                "9.99999999999999",
                                "0.00000000000001",
                                "0.000000000000001",
                                "-12345678.1234567",
                                "-71.1234567"};
    QRandomGenerator rng(20140502);
    const char alphabet[] = "0123456789-+.eE ";
    for (int i = 0; i < 3000; ++i) {
        QByteArray p;
        const int n = static_cast<int>(rng.bounded(1, 24));
        for (int k = 0; k < n; ++k)
            p += alphabet[rng.bounded(static_cast<int>(sizeof alphabet - 2))]; // no blank: it splits
        pieces << p;
    }
    for (int i = 0; i < 1000; ++i) { // well-formed decimals of every length around the fast path's limit
        QByteArray p = rng.bounded(2) ? "-" : "";
        p += QByteArray::number(rng.bounded(0, 100000000)).left(static_cast<int>(rng.bounded(1, 12)));
        if (rng.bounded(3))
            p += "." + QByteArray::number(rng.generate64()).left(static_cast<int>(rng.bounded(1, 18)));
        pieces << p;
    }
    return pieces;
}

} // namespace test_support
