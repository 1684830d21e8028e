# SPDX-License-Identifier: GPL-3.0-or-later
"""Fills a folder laid out like /sys/bus/pci with the functions of a text dump (as `lspci -x`
prints it), so the real library, lspci and setpci all find a machine there and nothing reaches
hardware. Each function gets its config file and the attributes lspci insists on.
    fake_pci.py DUMP FOLDER"""

import os
import re
import sys

FUNCTION = re.compile(r"^(?:([0-9a-fA-F]{4,}):)?([0-9a-fA-F]{2}):([0-9a-fA-F]{2})\.([0-7])\s")
ROW = re.compile(r"^[0-9a-fA-F]{2,3}:((?: [0-9a-fA-F]{2})+)\s*$")


def functions(text):
    """{"DDDD:BB:DD.F": config bytes} in the order of the dump."""
    found, current = {}, None
    for row in text.splitlines():
        if match := FUNCTION.match(row):
            domain, bus, device, function = match.groups()
            current = f"{int(domain or '0', 16):04x}:{bus.lower()}:{device.lower()}.{function}"
            found[current] = bytearray()
        elif current is not None and (match := ROW.match(row)):
            found[current] += bytes.fromhex(match.group(1))
    return found


def write_tree(found, root):
    os.makedirs(os.path.join(root, "slots"), exist_ok=True)
    for name, config in found.items():
        folder = os.path.join(root, "devices", name)
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "config"), "wb") as out:
            out.write(config)
        header = bytes(config) + bytes(64)  # a dump cut short reads as zeros here
        attributes = {
            "vendor": f"0x{header[1]:02x}{header[0]:02x}",
            "device": f"0x{header[3]:02x}{header[2]:02x}",
            "class": f"0x{header[11]:02x}{header[10]:02x}{header[9]:02x}", "irq": "0",
            "resource": "\n".join([" ".join(["0x0000000000000000"] * 3)] * 13),
        }
        for attribute, value in attributes.items():
            with open(os.path.join(folder, attribute), "w", encoding="ascii") as out:
                out.write(value + "\n")


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: fake_pci.py DUMP FOLDER")
    with open(sys.argv[1], encoding="utf-8") as dump:
        found = functions(dump.read())
    if not found:
        sys.exit(f"fake_pci.py: no function in {sys.argv[1]}")
    write_tree(found, sys.argv[2])


if __name__ == "__main__":
    main()
