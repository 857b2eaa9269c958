"""Reads what a PE file (32-bit, or the 64-bit test build's) imports and
forwards, its place in memory, its version fields and its resources, without
any tool."""
import struct


class PeFile:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        (pe_offset,) = struct.unpack_from("<I", self.data, 0x3C)
        if self.data[pe_offset:pe_offset + 4] != b"PE\0\0":
            raise ValueError(f"{path}: not a PE file")
        coff = pe_offset + 4
        self.machine, sections, _, _, _, opt_size, self.characteristics = \
            struct.unpack_from("<HHIIIHH", self.data, coff)
        opt = coff + 20
        (magic,) = struct.unpack_from("<H", self.data, opt)
        if magic not in (0x10B, 0x20B):
            raise ValueError(f"{path}: neither a 32-bit nor a 64-bit image")
        # PE32+ (64-bit) widens the image base and the stack and heap sizes,
        # which moves the data directories 16 bytes on.
        self.is64 = magic == 0x20B
        (self.os_major, self.os_minor, self.image_major, self.image_minor,
         self.subsystem_major, self.subsystem_minor) = struct.unpack_from("<6H", self.data, opt + 40)
        (self.subsystem,) = struct.unpack_from("<H", self.data, opt + 68)
        if self.is64:
            (self.image_base,) = struct.unpack_from("<Q", self.data, opt + 24)
        else:
            (self.image_base,) = struct.unpack_from("<I", self.data, opt + 28)
        (self.image_size,) = struct.unpack_from("<I", self.data, opt + 56)
        directories = opt + (112 if self.is64 else 96)
        (count,) = struct.unpack_from("<I", self.data, directories - 4)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i)
                            for i in range(count)]
        self.sections = []
        table = opt + opt_size
        for i in range(sections):
            name, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", self.data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode(), vaddr, max(vsize, rawsize), rawptr))

    def offset(self, rva):
        for _, vaddr, size, rawptr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rawptr + rva - vaddr
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        """{dll name (upper case): [function names or '#ordinal']}"""
        rva, size = self.directories[1] if len(self.directories) > 1 else (0, 0)
        result = {}
        if not rva:
            return result
        pos = self.offset(rva)
        while True:
            lookup, _, _, name_rva, thunks = struct.unpack_from("<IIIII", self.data, pos)
            if not name_rva:
                break
            names = result.setdefault(self.cstring(name_rva).upper(), [])
            entry = self.offset(lookup or thunks)
            width, by_ordinal = (8, 1 << 63) if self.is64 else (4, 1 << 31)
            while True:
                (value,) = struct.unpack_from("<Q" if self.is64 else "<I", self.data, entry)
                if not value:
                    break
                if value & by_ordinal:
                    names.append(f"#{value & 0xFFFF}")
                else:
                    names.append(self.cstring((value & 0x7FFFFFFF) + 2))
                entry += width
            pos += 20
        return result

    def forwarders(self):
        """{exported name: "DLL.function"} of the exports that forward to
        another DLL (the DLL name as written there)."""
        rva, size = self.directories[0] if self.directories else (0, 0)
        result = {}
        if not rva:
            return result
        (_, _, _, _, _, _, _, names, functions, name_rvas, ordinals) = \
            struct.unpack_from("<IIHHIIIIIII", self.data, self.offset(rva))
        for i in range(names):
            (name_rva,) = struct.unpack_from("<I", self.data, self.offset(name_rvas) + 4 * i)
            (index,) = struct.unpack_from("<H", self.data, self.offset(ordinals) + 2 * i)
            (target,) = struct.unpack_from("<I", self.data, self.offset(functions) + 4 * index)
            if rva <= target < rva + size:
                result[self.cstring(name_rva)] = self.cstring(target)
        return result

    def delay_imports(self):
        return len(self.directories) > 13 and self.directories[13][0] != 0

    def resources(self):
        """{(type, name): {language: data}} of the resource section. Types,
        names and languages are numbers, or text for named entries."""
        rva, _ = self.directories[2] if len(self.directories) > 2 else (0, 0)
        result = {}
        if not rva:
            return result
        root = self.offset(rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, root + directory + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, root + directory + 16 + 8 * i)
                if name & 0x80000000:  # a counted UTF-16 text
                    at = root + (name & 0x7FFFFFFF)
                    (length,) = struct.unpack_from("<H", self.data, at)
                    name = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield name, target

        for kind, types in entries(0):
            for name, names in entries(types & 0x7FFFFFFF):
                for language, leaf in entries(names & 0x7FFFFFFF):
                    data_rva, size = struct.unpack_from("<II", self.data, root + leaf)
                    start = self.offset(data_rva)
                    result.setdefault((kind, name), {})[language] = self.data[start:start + size]
        return result
