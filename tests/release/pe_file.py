"""Reads what the release checks need of a PE file: headers, data
directories, resources and the version resource."""
import struct

RT_VERSION = 16
RT_MANIFEST = 24
DIRECTORY_RESOURCE = 2
DIRECTORY_SECURITY = 4   # the Authenticode signature


class PeFile:
    def __init__(self, data):
        self.data = data
        self.pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, self.timestamp) = struct.unpack_from("<HHI", data, self.pe + 4)
        optional_size = struct.unpack_from("<H", data, self.pe + 20)[0]
        self.optional = self.pe + 24
        self.magic = struct.unpack_from("<H", data, self.optional)[0]
        self.checksum = struct.unpack_from("<I", data, self.optional + 64)[0]
        self.subsystem = struct.unpack_from("<H", data, self.optional + 68)[0]
        self.directories_at = self.optional + (96 if self.magic == 0x10B else 112)
        table = self.optional + optional_size
        self.sections = []
        for i in range(sections):
            name, size, rva, raw_size, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode(), rva, min(size, raw_size) or raw_size, raw))

    def directory(self, index):
        """(address, size) of a data directory; for the security directory
        the address is a file offset."""
        return struct.unpack_from("<II", self.data, self.directories_at + 8 * index)

    def offset_of(self, rva):
        for _, start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("address %#x lies in no section" % rva)

    def resources(self):
        """{(type, name, language): bytes}; numeric identifiers as int,
        named ones as str."""
        rva, size = self.directory(DIRECTORY_RESOURCE)
        found = {}
        if not size:
            return found
        base = self.offset_of(rva)

        def entries(offset):
            named, numbered = struct.unpack_from("<HH", self.data, base + offset + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, base + offset + 16 + 8 * i)
                if name & 0x80000000:
                    at = base + (name & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at)[0]
                    name = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield name, target

        for kind, kinds in entries(0):
            for name, names in entries(kinds & 0x7FFFFFFF):
                for language, leaf in entries(names & 0x7FFFFFFF):
                    data_rva, data_size = struct.unpack_from("<II", self.data, base + leaf)
                    at = self.offset_of(data_rva)
                    found[(kind, name, language)] = self.data[at:at + data_size]
        return found


def _block(data, offset):
    """One node of a version resource: (key, value, children, end)."""
    length, value_length, text = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    at = offset + 6
    key_end = at
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at:key_end].decode("utf-16-le")
    at = (key_end + 2 + 3) & ~3
    if text:
        raw = data[at:min(at + 2 * value_length, end)]
        value = raw.decode("utf-16-le").split("\0")[0]
        at += 2 * value_length
    else:
        value = data[at:at + value_length]
        at += value_length
    children = []
    at = (at + 3) & ~3
    while at < end:
        child = _block(data, at)
        children.append(child[:3])
        at = (child[3] + 3) & ~3
    return key, value, children, end


def version_info(resource):
    """The version resource as (fixed fields, {table: {name: text}},
    translations): the fixed fields as a dict of VS_FIXEDFILEINFO's members,
    translations as (language, code page) pairs."""
    key, value, children, _ = _block(resource, 0)
    if key != "VS_VERSION_INFO" or len(value) != 52:
        raise ValueError("not a version resource")
    names = ("signature", "struc_version", "file_version_ms", "file_version_ls", "product_version_ms",
             "product_version_ls", "flags_mask", "flags", "os", "type", "subtype", "date_ms", "date_ls")
    fixed = dict(zip(names, struct.unpack("<13I", value)))
    tables, translations = {}, []
    for child_key, _, grandchildren in children:
        if child_key == "StringFileInfo":
            for table, _, strings in grandchildren:
                tables[table] = {name: text for name, text, _ in strings}
        elif child_key == "VarFileInfo":
            for name, pairs, _ in grandchildren:
                if name == "Translation":
                    translations += [struct.unpack_from("<HH", pairs, i) for i in range(0, len(pairs), 4)]
    return fixed, tables, translations
