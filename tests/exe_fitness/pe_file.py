"""A reader for the parts of a 32-bit PE file that the fitness check looks at:
headers, imports and the resource tree. Standard library only; every offset is
checked, so a damaged file raises PeError instead of giving wrong answers."""

import struct

# Data directory indices.
DIR_IMPORT = 1
DIR_RESOURCE = 2
DIR_BOUND_IMPORT = 11
DIR_DELAY_IMPORT = 13

# Resource types by number.
RT_DIALOG = 5
RT_VERSION = 16
RT_MANIFEST = 24


class PeError(Exception):
    pass


class PeFile:
    def __init__(self, data):
        self.data = data
        if self._u16(0) != 0x5A4D:
            raise PeError("no MZ header")
        pe = self._u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature at 0x%x" % pe)
        (self.machine, sections, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = self._u16(opt)
        if self.magic != 0x10B:
            # Only the PE32 layout is read below; the caller reports the magic.
            self.directories = []
            self.sections = []
            return
        self.image_base = self._u32(opt + 28)
        self.os_version = (self._u16(opt + 40), self._u16(opt + 42))
        self.subsystem_version = (self._u16(opt + 48), self._u16(opt + 50))
        self.subsystem = self._u16(opt + 68)
        count = self._u32(opt + 92)
        self.directories = [struct.unpack_from("<II", data, opt + 96 + 8 * i)
                            for i in range(min(count, 16))]
        self.sections = []
        table = opt + optional_size
        for i in range(sections):
            entry = table + 40 * i
            name = data[entry:entry + 8].rstrip(b"\0").decode("latin-1")
            vsize, vaddr, raw_size, raw_ptr = struct.unpack_from("<IIII", data, entry + 8)
            self.sections.append((name, vaddr, max(vsize, raw_size), raw_ptr, raw_size))

    # -- raw access

    def _u16(self, offset):
        return self._unpack("<H", offset)

    def _u32(self, offset):
        return self._unpack("<I", offset)

    def _unpack(self, fmt, offset):
        if offset < 0 or offset + struct.calcsize(fmt) > len(self.data):
            raise PeError("read past the end of the file at 0x%x" % offset)
        return struct.unpack_from(fmt, self.data, offset)[0]

    def offset(self, rva):
        """The file offset of a relative virtual address."""
        for _, vaddr, size, raw_ptr, raw_size in self.sections:
            if vaddr <= rva < vaddr + size:
                if rva - vaddr >= raw_size:
                    raise PeError("RVA 0x%x lies in uninitialised data" % rva)
                return raw_ptr + rva - vaddr
        raise PeError("RVA 0x%x is in no section" % rva)

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def cstring(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise PeError("unterminated name at RVA 0x%x" % rva)
        return self.data[start:end].decode("latin-1")

    # -- imports

    def imports(self):
        """[(dll, [function name or "#ordinal"], time_date_stamp)]"""
        rva, size = self.directory(DIR_IMPORT)
        result = []
        if rva == 0:
            return result
        base = self.offset(rva)
        for index in range(size // 20 or 4096):
            lookup, stamp, _, name_rva, iat = struct.unpack_from("<IIIII", self.data, base + 20 * index)
            if name_rva == 0:
                break
            thunk = self.offset(lookup or iat)
            functions = []
            while True:
                value = self._u32(thunk)
                if value == 0:
                    break
                if value & 0x80000000:
                    functions.append("#%d" % (value & 0xFFFF))
                else:
                    functions.append(self.cstring(value + 2))  # after the hint
                thunk += 4
            result.append((self.cstring(name_rva), functions, stamp))
        return result

    # -- resources

    def resources(self):
        """{(type, name, language): bytes}; type and name are ints or str."""
        rva, _ = self.directory(DIR_RESOURCE)
        found = {}
        if rva == 0:
            return found
        root = self.offset(rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, root + directory + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, root + directory + 16 + 8 * i)
                if ident & 0x80000000:
                    at = root + (ident & 0x7FFFFFFF)
                    length = self._u16(at)
                    key = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                else:
                    key = ident
                yield key, target

        for kind, kind_dir in entries(0):
            for name, name_dir in entries(kind_dir & 0x7FFFFFFF):
                for language, leaf in entries(name_dir & 0x7FFFFFFF):
                    if leaf & 0x80000000:
                        raise PeError("resource tree deeper than three levels")
                    data_rva, data_size = struct.unpack_from("<II", self.data, root + leaf)
                    start = self.offset(data_rva)
                    if start + data_size > len(self.data):
                        raise PeError("resource %r/%r runs past the end of the file" % (kind, name))
                    found[(kind, name, language)] = self.data[start:start + data_size]
        return found
