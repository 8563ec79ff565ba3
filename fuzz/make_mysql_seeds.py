#!/usr/bin/env python3
"""Writes the seed corpora of fuzz_mysql_greeting, fuzz_mysql_packets and
fuzz_mysql_values into fuzz/corpus/. The packets follow what a MariaDB 10.11
server sends (greeting, OK, error, column definitions, rows); the seeds
named mariadb_* are cut from whole sessions recorded from the private
MariaDB (fuzz/corpus/mysql_server_stream/mariadb_*: the server's bytes of a
login as root, as halvex_empty and as halvex_old, the character-set
statement, then SELECT 1, a temporary table of every column type, its
rows, an empty result, an unknown table and an UPDATE)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SEP = b"~|~"


def lenc(b):
    return bytes([len(b)]) + b


def greeting41(scramble=b"ABCDEFGHIJKLMNOPQRST", version=b"5.5.5-10.11.6-MariaDB-0+deb12u1"):
    return (b"\x0a" + version + b"\x00" + struct.pack("<I", 31) + scramble[:8] + b"\x00" +
            struct.pack("<H", 0xF7FE) + b"\x08" + struct.pack("<H", 2) +
            struct.pack("<H", 0x81BF) + b"\x15" + b"\x00" * 6 + struct.pack("<I", 0x1D) +
            scramble[8:] + b"\x00" + b"mysql_native_password\x00")


def greeting_pre41():
    return (b"\x0a4.0.27-log\x00" + struct.pack("<I", 5) + b"ABCDEFGH\x00" +
            struct.pack("<H", 0x200C) + b"\x08" + struct.pack("<H", 2) + b"\x00" * 13)


OK = b"\x00\x00\x00\x02\x00\x00\x00"
EOF_ = b"\xfe\x00\x00\x02\x00"


def coldef41(name, type_, length, flags=0, charset=51, decimals=0):
    fixed = struct.pack("<HIBHB", charset, length, type_, flags, decimals) + b"\x00\x00"
    return (lenc(b"def") + lenc(b"velmora") + lenc(b"obj") + lenc(b"obj") + lenc(name) +
            lenc(name) + lenc(fixed))


def coldef_pre41(name, type_, length, flags=0):
    return (lenc(b"obj") + lenc(name) + lenc(struct.pack("<I", length)[:3]) +
            lenc(bytes([type_])) + lenc(struct.pack("<H", flags) + b"\x00"))


def row(values):
    return b"".join(b"\xfb" if v is None else lenc(v) for v in values)


def split_packets(stream):
    """(sequence, payload) of every packet of a recorded stream."""
    out, pos = [], 0
    while pos + 4 <= len(stream):
        n = stream[pos] | stream[pos + 1] << 8 | stream[pos + 2] << 16
        out.append((stream[pos + 3], stream[pos + 4:pos + 4 + n]))
        pos += 4 + n
    return out


def recorded_sessions():
    """Connection phase and the answers of each recorded session: an
    answer starts at every packet with the sequence number 1."""
    folder = os.path.join(HERE, "corpus", "mysql_server_stream")
    for name in sorted(os.listdir(folder)):
        if not name.startswith("mariadb_"):
            continue
        packets = split_packets(open(os.path.join(folder, name), "rb").read())
        first = next(i for i, (seq, _) in enumerate(packets) if seq == 1)
        login = [p for _, p in packets[:first]]
        answers = []
        for seq, payload in packets[first:]:
            if seq == 1:
                answers.append([])
            answers[-1].append(payload)
        yield name, login, answers


def write(target, name, data):
    with open(os.path.join(HERE, "corpus", target, name), "wb") as f:
        f.write(data)


def main():
    g = greeting41()
    write("mysql_greeting", "login41", b"\x00" + SEP.join([g, OK, OK]))
    write("mysql_greeting", "old_password", b"\x00" + SEP.join([g, b"\xfe", OK, OK]))
    write("mysql_greeting", "two_step", b"\x00" + SEP.join([g, b"*" + b"\x00" * 3 + b"0123456789abcdefghij", OK, OK]))
    write("mysql_greeting", "auth_switch", b"\x00" + SEP.join([g, b"\xfemysql_native_password\x00" + b"K" * 20 + b"\x00", OK]))
    write("mysql_greeting", "pre41", b"\x04" + SEP.join([greeting_pre41(), OK]))
    write("mysql_greeting", "utf8_empty_password", b"\x03" + SEP.join([g, OK, OK]))
    write("mysql_greeting", "refused", b"\x00" + b"\xff\x10\x04Too many connections")
    write("mysql_greeting", "bad_charset", b"\x00" + SEP.join([g, OK, b"\xff\x73\x04#42000Unknown character set: 'cp1251x'"]))

    for name, login, answers in recorded_sessions():
        choice = b"\x01" if "empty" in name else b"\x00"
        write("mysql_greeting", name, choice + SEP.join(login + answers[0]))
        if "native" in name:
            # answers[0] is the character-set statement's; then one statement each.
            statements = ["select_1", "create_table", "insert", "every_type", "empty_result",
                          "unknown_table", "update"]
            for statement, answer in zip(statements, answers[1:]):
                write("mysql_packets", "mariadb_" + statement, b"\x00" + SEP.join(answer))

    cols = [coldef41(b"id", 3, 11, 0x4203, 63), coldef41(b"name", 253, 400, 0, 51),
            coldef41(b"ts", 12, 19, 0x80, 63), coldef41(b"t", 11, 10, 0x80, 63),
            coldef41(b"price", 246, 12, 0, 63, 2), coldef41(b"flag", 1, 1, 0, 63),
            coldef41(b"memo", 252, 65535, 0x10, 51)]
    rows = [row([b"1", b"\xcf\xf0\xe8\xe2\xe5\xf2", b"2012-05-01 10:20:30", b"-12:30:00", b"12.50", b"1", b"text"]),
            row([b"-2147483648", None, b"0000-00-00 00:00:00", b"100:00:00", b"-0.5", b"0", None])]
    result = [b"\x07"] + cols + [EOF_] + rows + [EOF_]
    write("mysql_packets", "result_set", b"\x00" + SEP.join(result))
    write("mysql_packets", "ok_and_error", b"\x00" + SEP.join([b"\x00\x05\x07\x22\x00\x01\x00(Rows matched: 5  Changed: 5  Warnings: 1",
                                                               b"\xff\x7a\x04#42S02Table 'velmora.obj' doesn't exist"]))
    write("mysql_packets", "local_file", b"\x00" + SEP.join([b"\xfb/etc/passwd", OK]))
    write("mysql_packets", "error_among_rows", b"\x00" + SEP.join([b"\x01", cols[0], EOF_, row([b"1"]), b"\xff\x25\x05#70100Query execution was interrupted"]))
    write("mysql_packets", "more_results", b"\x00" + SEP.join([b"\x01", cols[0], EOF_, row([b"1"]), b"\xfe\x00\x00\x0a\x00", b"\x00\x00\x00\x02\x00\x00\x00"]))
    write("mysql_packets", "pre41_result", b"\x01" + SEP.join([b"\x02", coldef_pre41(b"id", 3, 11, 0x4203), coldef_pre41(b"ts", 7, 14), EOF_, row([b"7", b"20120501102030"]), EOF_]))

    # values: options, count, per column (type index, length low, high, flags, charset), values
    types = [0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 246, 247, 248, 249, 250, 251, 252, 253, 254, 255, 17, 245]

    def column(t, length, flags=0, charset=0):
        return bytes([types.index(t), length & 0xFF, (length >> 8) & 0xFF, flags, charset])

    def values(vs):
        return b"".join(b"\xff" if v is None else bytes([len(v)]) + v for v in vs)

    seeds = {
        "numbers": ([column(3, 11), column(3, 10, 32), column(8, 20), column(8, 20, 32), column(1, 4), column(2, 6, 32), column(9, 9), column(13, 4)],
                    [[b"-2147483648", b"4294967295", b"-9223372036854775808", b"18446744073709551615", b"-128", b"65535", b"8388607", b"2026"],
                     [b"12a", b"", None, b"-", b"999999", b"x", b"0", b"1901"]]),
        "floats": ([column(246, 12), column(4, 12), column(5, 22), column(0, 10)],
                   [[b"12.50", b"-1.5e-3", b"1.7976931348623157e308", b"1e999"], [b"-0", b".5", b"5.", b"+1E+2"]]),
        "bad_float": ([column(246, 12)], [[b"1.5"], [b"1,5"]]),
        "dates": ([column(10, 10), column(12, 19), column(11, 10), column(7, 0)],
                  [[b"2012-05-01", b"2012-05-01 10:20:30", b"-12:30:00", b"2012-05-01 10:20:30"],
                   [b"0000-00-00", b"2012-04-31 00:00:00", b"838:59:59", b"1970-01-01 00:00:00"],
                   [b"2012", b"99", b"1234:00", b""]]),
        "bad_time": ([column(11, 10)], [[b"10:20:30"], [b"123456:00"]]),
        "stamps": ([column(7, 1), column(7, 2), column(7, 3), column(7, 4), column(7, 5)],
                   [[b"20120501102030", b"120501102030", b"1205011020", b"20120501", b"120501"]]),
        "bad_stamp": ([column(7, 10)], [[b"201205011"]]),
        "texts": ([column(253, 20), column(254, 10, 0x80, 1), column(252, 65535, 0x10), column(252, 65535, 0x90, 1), column(16, 1, 32), column(1, 1), column(15, 5, 0x80, 1)],
                  [[b"abc   ", b"fixed  \x00", b"memo text", b"\x00\x01\x02", b"\x01", b"1", b"bytes"],
                   [b"12", b" 0x1F ", b"", b"", b"\xff\xff", b"0", b"a\x00b"]]),
    }
    for name, (columns, rows_) in seeds.items():
        data = bytes([0, len(columns) - 1]) + b"".join(columns) + b"".join(values(r) for r in rows_)
        write("mysql_values", name, data)
    columns, rows_ = seeds["texts"]
    write("mysql_values", "options_all", bytes([0x7F, len(columns) - 1]) + b"".join(columns) +
          b"".join(values(r) for r in rows_))


if __name__ == "__main__":
    main()
