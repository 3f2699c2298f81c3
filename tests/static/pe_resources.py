"""Reads the resources of a Windows executable (PE32 or PE32+) without running it: the resource
tree, the version information block and the text of a manifest, as Windows' loader and
GetFileVersionInfoW / VerQueryValueW see them.
"""

import struct
from dataclasses import dataclass, field

RT_VERSION = 16
RT_MANIFEST = 24
VS_FIXEDFILEINFO_SIGNATURE = 0xFEEF04BD


class FormatError(Exception):
    pass


@dataclass
class Resource:
    type: object  # int id or str name
    name: object
    language: int
    data: bytes


def _section_of(sections, rva):
    for virtual_address, virtual_size, raw_size, raw_pointer in sections:
        if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
            return virtual_address, raw_pointer
    raise FormatError(f"RVA {rva:#x} lies in no section")


def resources(image):
    """Every resource of the image, in directory order."""
    if image[:2] != b"MZ":
        raise FormatError("no MZ header")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise FormatError("no PE signature")
    section_count, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = {0x10B: optional + 96, 0x20B: optional + 112}.get(magic)
    if directories is None:
        raise FormatError(f"unknown optional header magic {magic:#x}")
    resource_rva, resource_size = struct.unpack_from("<II", image, directories + 2 * 8)
    if not resource_rva or not resource_size:
        return []
    sections = []
    table = optional + optional_size
    for index in range(section_count):
        virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from(
            "<IIII", image, table + 40 * index + 8)
        sections.append((virtual_address, virtual_size, raw_size, raw_pointer))

    def offset(rva):
        virtual_address, raw_pointer = _section_of(sections, rva)
        return raw_pointer + rva - virtual_address

    root = offset(resource_rva)

    def name_at(entry_name):
        if entry_name & 0x80000000:
            at = root + (entry_name & 0x7FFFFFFF)
            length = struct.unpack_from("<H", image, at)[0]
            return image[at + 2:at + 2 + 2 * length].decode("utf-16-le")
        return entry_name

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", image, root + directory + 12)
        for index in range(named + numbered):
            entry_name, target = struct.unpack_from("<II", image,
                                                    root + directory + 16 + 8 * index)
            yield name_at(entry_name), target

    found = []
    for type_id, type_target in entries(0):
        for name, name_target in entries(type_target & 0x7FFFFFFF):
            for language, leaf in entries(name_target & 0x7FFFFFFF):
                if leaf & 0x80000000:
                    raise FormatError("resource tree deeper than type/name/language")
                data_rva, size = struct.unpack_from("<II", image, root + leaf)
                start = offset(data_rva)
                found.append(Resource(type_id, name, language, image[start:start + size]))
    return found


def resources_of_file(path):
    with open(path, "rb") as file:
        return resources(file.read())


@dataclass
class VersionNode:
    key: str
    value: object  # bytes for binary values, str for text values (without the terminating zero)
    text_length: int = 0  # for text values: the stored length in characters
    children: list = field(default_factory=list)

    def child(self, key):
        matches = [node for node in self.children if node.key == key]
        if len(matches) != 1:
            raise FormatError(f"{len(matches)} nodes named {key!r} under {self.key!r}")
        return matches[0]


def _align(position):
    return (position + 3) & ~3


def _node(data, start):
    length, value_length, value_type = struct.unpack_from("<HHH", data, start)
    if length < 6 or start + length > len(data):
        raise FormatError(f"node at {start} has a bad length {length}")
    end = start + length
    key_end = start + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[start + 6:key_end].decode("utf-16-le")
    position = _align(key_end + 2)
    text_length = 0
    if value_type == 1:
        # A text value: its length counts UTF-16 characters, the terminating zero included.
        raw = data[position:position + 2 * value_length]
        text_length = value_length
        value = raw.decode("utf-16-le")
        if value.endswith("\0"):
            value = value[:-1]
        position += 2 * value_length
    elif value_type == 0:
        value = data[position:position + value_length]
        position += value_length
    else:
        raise FormatError(f"node {key!r} has value type {value_type}")
    node = VersionNode(key, value, text_length)
    position = _align(position)
    while position < end:
        child, position = _node(data, position)
        node.children.append(child)
        position = _align(position)
    return node, end


def version_info(data):
    """The version information block as a tree of nodes (VS_VERSIONINFO)."""
    root, _ = _node(data, 0)
    if root.key != "VS_VERSION_INFO":
        raise FormatError(f"root key is {root.key!r}")
    return root


def fixed_info(root):
    """VS_FIXEDFILEINFO as a dict of its fields."""
    fields = ("signature", "struct_version", "file_ms", "file_ls", "product_ms", "product_ls",
              "flags_mask", "flags", "os", "type", "subtype", "date_ms", "date_ls")
    if len(root.value) != 52:
        raise FormatError(f"fixed file information of {len(root.value)} bytes")
    info = dict(zip(fields, struct.unpack("<13I", root.value)))
    if info["signature"] != VS_FIXEDFILEINFO_SIGNATURE:
        raise FormatError(f"fixed file information signature {info['signature']:#x}")
    return info


def four_part(most, least):
    return (most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF)
