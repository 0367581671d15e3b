"""Reads what the Windows 9x loader looks at in a PE32 program: the header fields it checks
and the DLLs and functions it must resolve before the program starts."""

from __future__ import annotations

import struct
from dataclasses import dataclass, field

MACHINE_I386 = 0x14C
MAGIC_PE32 = 0x10B
MAGIC_PE32_PLUS = 0x20B
SUBSYSTEM_NAMES = {1: "native", 2: "windows", 3: "console", 9: "windows CE"}

DIR_IMPORT = 1
DIR_DELAY_IMPORT = 13

# A real program has a few dozen imported DLLs and a few hundred functions each; the limits
# only keep a damaged file from making the reader loop for ever.
MAX_DESCRIPTORS = 4096
MAX_THUNKS = 65536
MAX_NAME = 4096


class PEError(Exception):
    """The file is not a PE32 program that this reader can take apart."""


@dataclass
class Import:
    name: str | None  # None when imported by ordinal
    ordinal: int | None  # set when imported by ordinal
    hint: int | None = None

    def label(self):
        return self.name if self.name is not None else f"#{self.ordinal}"


@dataclass
class ImportedDll:
    name: str
    delayed: bool
    functions: list = field(default_factory=list)


@dataclass
class PEImage:
    machine: int
    magic: int
    subsystem: int
    subsystem_version: tuple
    os_version: tuple
    dlls: list

    def subsystem_name(self):
        return SUBSYSTEM_NAMES.get(self.subsystem, f"subsystem {self.subsystem}")


@dataclass
class _Section:
    virtual_address: int
    virtual_size: int
    raw_size: int
    raw_pointer: int


class _Reader:
    def __init__(self, data):
        self.data = data

    def unpack(self, fmt, offset, what):
        size = struct.calcsize(fmt)
        if offset < 0 or offset + size > len(self.data):
            raise PEError(f"the file ends inside the {what} (offset {offset:#x})")
        return struct.unpack_from(fmt, self.data, offset)


def read_pe(path):
    with open(path, "rb") as f:
        data = f.read()
    return parse_pe(data)


def parse_pe(data):
    r = _Reader(data)
    if len(data) < 0x40 or data[:2] != b"MZ":
        raise PEError("no MZ header: not a Windows program")
    (pe_offset,) = r.unpack("<I", 0x3C, "DOS header")
    if r.unpack("<4s", pe_offset, "PE signature")[0] != b"PE\0\0":
        raise PEError("no PE signature: an MS-DOS or 16-bit program, not a Win32 one")
    machine, section_count, _, _, _, optional_size, _ = r.unpack("<HHIIIHH", pe_offset + 4,
                                                                 "file header")
    opt = pe_offset + 24
    (magic,) = r.unpack("<H", opt, "optional header")
    if magic == MAGIC_PE32_PLUS:
        raise PEError("a PE32+ (64-bit) program: Windows 95 and 98 run only PE32")
    if magic != MAGIC_PE32:
        raise PEError(f"unknown optional header magic {magic:#x}")
    if optional_size < 96:
        raise PEError(f"optional header of {optional_size} bytes is too short for PE32")
    os_major, os_minor = r.unpack("<HH", opt + 40, "optional header")
    sub_major, sub_minor = r.unpack("<HH", opt + 48, "optional header")
    (subsystem,) = r.unpack("<H", opt + 68, "optional header")
    (image_base,) = r.unpack("<I", opt + 28, "optional header")
    (dir_count,) = r.unpack("<I", opt + 92, "optional header")
    dir_count = min(dir_count, (optional_size - 96) // 8)

    def directory(index):
        if index >= dir_count:
            return 0, 0
        return r.unpack("<II", opt + 96 + 8 * index, "data directories")

    sections = []
    table = opt + optional_size
    for i in range(section_count):
        _, vsize, vaddr, raw_size, raw_ptr = r.unpack("<8sIIII", table + 40 * i, "section table")
        sections.append(_Section(vaddr, vsize, raw_size, raw_ptr))

    def offset_of(rva, what):
        for s in sections:
            span = max(s.virtual_size, s.raw_size)
            if s.virtual_address <= rva < s.virtual_address + span:
                delta = rva - s.virtual_address
                if delta >= s.raw_size:
                    raise PEError(f"the {what} lies in a section's uninitialised part")
                return s.raw_pointer + delta
        raise PEError(f"the {what} (RVA {rva:#x}) lies in no section")

    def c_string(rva, what):
        start = offset_of(rva, what)
        end = data.find(b"\0", start, start + MAX_NAME)
        if end < 0:
            raise PEError(f"the {what} at RVA {rva:#x} has no end")
        return data[start:end].decode("latin-1")

    def thunks(rva, what, shift=0):
        found = []
        offset = offset_of(rva, what)
        for i in range(MAX_THUNKS):
            (value,) = r.unpack("<I", offset + 4 * i, what)
            if value == 0:
                return found
            if value & 0x80000000:
                found.append(Import(None, value & 0xFFFF))
            else:
                name_rva = value - shift
                (hint,) = r.unpack("<H", offset_of(name_rva, "import name"), "import name")
                found.append(Import(c_string(name_rva + 2, "import name"), None, hint))
        raise PEError(f"the {what} does not end")

    dlls = []
    import_rva, import_size = directory(DIR_IMPORT)
    if import_rva and import_size:
        base = offset_of(import_rva, "import directory")
        for i in range(MAX_DESCRIPTORS):
            lookup, _, _, name_rva, iat = r.unpack("<IIIII", base + 20 * i, "import directory")
            if lookup == 0 and name_rva == 0 and iat == 0:
                break
            dll = ImportedDll(c_string(name_rva, "imported DLL name"), delayed=False)
            dll.functions = thunks(lookup or iat, f"import list of {dll.name}")
            dlls.append(dll)
        else:
            raise PEError("the import directory does not end")

    delay_rva, delay_size = directory(DIR_DELAY_IMPORT)
    if delay_rva and delay_size:
        base = offset_of(delay_rva, "delay import directory")
        for i in range(MAX_DESCRIPTORS):
            attributes, name, _, _, int_table, _, _, _ = r.unpack("<IIIIIIII", base + 32 * i,
                                                                  "delay import directory")
            if name == 0:
                break
            # Old linkers wrote addresses here, not RVAs; bit 0 says which.
            shift = 0 if attributes & 1 else image_base
            dll = ImportedDll(c_string(name - shift, "delay-loaded DLL name"), delayed=True)
            dll.functions = thunks(int_table - shift, f"delay import list of {dll.name}", shift)
            dlls.append(dll)
        else:
            raise PEError("the delay import directory does not end")

    return PEImage(machine, magic, subsystem, (sub_major, sub_minor), (os_major, os_minor), dlls)
