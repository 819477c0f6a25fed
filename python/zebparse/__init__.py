"""zebparse: address parsing from Python, through the C library libzebparse (ctypes).

    >>> import zebparse
    >>> p = zebparse.Parser()
    >>> p.parse("123 Main St Apt 4, Springfield IL 62704", country="US")
    {'street_number': '123', 'street_name': 'MAIN', 'suffix': 'ST', 'unit_type': 'APT',
     'unit_number': '4', 'city': 'Springfield', 'state': 'IL', 'postal_code': '62704'}

One Parser may be shared by any number of threads: the calls release the GIL. The
library is found through $ZEBPARSE_LIBRARY, else next to the package (a CMake install
or the source tree's build/), else on the system's library path.
Tested by python/tests/test_zebparse.py.
"""

import ctypes
import ctypes.util
import json
import os
import re
from pathlib import Path

__all__ = ["Parser", "ZebparseError", "FIELDS", "parse_column", "shared_parser", "version"]

_UNIT, _RECORD = "\x1f", "\x1e"
_JSON, _COLUMNS = 0, 1  # zebparse_batch_layout
# What a record document can carry as an element code; other keys are the caller's own.
_ELEMENT_CODE = re.compile(r"[A-Z][A-Z0-9_]*\Z")
_LIBRARY_NAME = "libzebparse.so.1"


class ZebparseError(Exception):
    """A call the library refused; `code` is its zebparse_status, the message names the input."""

    def __init__(self, message, code=3):
        super().__init__(message)
        self.code = code


class _Error(ctypes.Structure):
    _fields_ = [("code", ctypes.c_int), ("message", ctypes.c_char * 1024)]


class _Element(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p), ("value", ctypes.c_char_p)]


def _find_library():
    given = os.environ.get("ZEBPARSE_LIBRARY")
    if given:
        return given
    here = Path(__file__).resolve().parent
    for base in (here, *here.parents):
        for candidate in (base / _LIBRARY_NAME, base / "lib" / _LIBRARY_NAME,
                          base / "build" / "lib" / _LIBRARY_NAME):
            if candidate.exists():
                return str(candidate)
    return ctypes.util.find_library("zebparse") or _LIBRARY_NAME


def _load():
    lib = ctypes.CDLL(_find_library())
    p, size, err = ctypes.c_void_p, ctypes.c_size_t, ctypes.POINTER(_Error)
    strings = ctypes.POINTER(ctypes.c_char_p)
    out = ctypes.POINTER(ctypes.c_void_p)
    signatures = {
        "zebparse_field_name": (ctypes.c_char_p, [size]),
        "zebparse_version": (ctypes.c_char_p, []),
        "zebparse_default_support_dir": (ctypes.c_char_p, []),
        "zebparse_open": (ctypes.c_int, [ctypes.c_char_p, out, err]),
        "zebparse_close": (None, [p]),
        "zebparse_parse": (ctypes.c_int, [p, ctypes.c_char_p, strings, size, out, err]),
        "zebparse_process": (ctypes.c_int, [p, ctypes.POINTER(_Element), size, out, err]),
        "zebparse_parse_batch": (ctypes.c_int, [p, ctypes.c_char_p, ctypes.c_char_p,
                                                ctypes.c_char_p, size, ctypes.c_int, out, err]),
        "zebparse_result_packed": (ctypes.c_void_p, [p, ctypes.POINTER(size)]),
        "zebparse_result_free": (None, [p]),
    }
    for name, (restype, argtypes) in signatures.items():
        function = getattr(lib, name)
        function.restype, function.argtypes = restype, argtypes
    return lib


_lib = _load()


def _field_names():
    names = []
    while (name := _lib.zebparse_field_name(len(names))) is not None:
        names.append(name.decode())
    return tuple(names)


FIELDS = _field_names()


def version():
    return _lib.zebparse_version().decode()


def _check(status, error):
    if status != 0:
        raise ZebparseError(error.message.decode("utf-8", "replace"), status)


def _text(value, what):
    """`value` as UTF-8 bytes for the library; NUL would silently end the text there."""
    text = "" if value is None else str(value)
    if "\x00" in text:
        raise ZebparseError(f"{what} [{text[:100]!r}] holds a NUL character", 3)
    return text.encode()


def _as_text(value):
    """A value that is no str as text: missing values (None, NaN, pandas' NA) as empty."""
    if value is None:
        return ""
    try:
        if value != value:  # NaN is never equal to itself
            return ""
    except TypeError:  # pandas' NA has no truth value
        return ""
    return str(value)


def _take_packed(result):
    length = ctypes.c_size_t()
    pointer = _lib.zebparse_result_packed(result, ctypes.byref(length))
    try:
        return ctypes.string_at(pointer, length.value).decode()
    finally:
        _lib.zebparse_result_free(result)


class Parser:
    """The parser of one support directory (None: the installed default one)."""

    def __init__(self, support_dir=None):
        self._handle = ctypes.c_void_p()
        self._close = _lib.zebparse_close  # still there when the module is torn down
        error = _Error()
        directory = None if support_dir is None else os.fsencode(support_dir)
        _check(_lib.zebparse_open(directory, ctypes.byref(self._handle), ctypes.byref(error)),
               error)

    def close(self):
        if getattr(self, "_handle", None):
            self._close(self._handle)
            self._handle = ctypes.c_void_p()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        self.close()

    def _live(self):
        if not self._handle:
            raise ZebparseError("the parser is closed", 1)
        return self._handle

    def parse(self, address, country=None):
        """The fields of one address (a string, or a list of up to three lines) that the
        parse found, by name (see FIELDS). Raises ZebparseError for a refused address."""
        lines = [address] if isinstance(address, str) else list(address)
        if not 1 <= len(lines) <= 3:
            raise ZebparseError("give one to three address lines", 1)
        encoded = (ctypes.c_char_p * len(lines))(*[_text(l, "address") for l in lines])
        result, error = ctypes.c_void_p(), _Error()
        _check(_lib.zebparse_parse(self._live(), _text(country, "country") or None, encoded,
                                   len(lines), ctypes.byref(result), ctypes.byref(error)), error)
        packed = _take_packed(result)
        return dict(item.split(_UNIT, 1) for item in packed.split(_RECORD)[:-1])

    def parse_batch(self, addresses, country=None, countries=None, errors="raise"):
        """A list of parse results for one-line addresses, in one call to the library.
        `countries` (a sequence as long as `addresses`) overrides `country` per address.
        With errors="keep" a refused address gives {"error": message} instead of raising."""
        packed, refused = self._batch(addresses, country, countries, _JSON)
        out = json.loads(packed)
        for i, message in refused.items():
            out[i] = {"error": message}
        if errors == "raise":
            for row in out:
                if "error" in row:
                    raise ZebparseError(row["error"], 3)
        return out

    def parse_columns(self, addresses, country=None, countries=None):
        """The batch as a table wants it: a list per field of FIELDS (each value of every
        address, empty where not found), and the list of error messages (empty where the
        address was parsed)."""
        packed, refused = self._batch(addresses, country, countries, _COLUMNS)
        values = packed.split(_RECORD)
        count = len(values) // (len(FIELDS) + 1)
        columns = [values[f * count:(f + 1) * count] for f in range(len(FIELDS) + 1)]
        messages = columns.pop()
        for i, message in refused.items():
            messages[i] = message
        return columns, messages

    def _batch(self, addresses, country, countries, layout):
        """The packed text of one zebparse_parse_batch call, and the messages of the
        addresses refused here: the library takes NUL-terminated texts, so an address
        holding NUL goes in as empty and is refused by its index."""
        texts = [a if isinstance(a, str) else _as_text(a) for a in addresses]
        count = len(texts)
        joined = "\x00".join(texts)
        refused = {}
        if count and joined.count("\x00") != count - 1:
            for i, text in enumerate(texts):
                if "\x00" in text:
                    refused[i] = f"address [{text[:100]!r}] holds a NUL character"
                    texts[i] = ""
            joined = "\x00".join(texts)
        per_row = None
        if countries is not None:
            countries = [c if isinstance(c, str) else _as_text(c) for c in countries]
            if len(countries) != count:
                raise ZebparseError("countries and addresses differ in length", 1)
            per_row = "\x00".join(countries)
            if count and per_row.count("\x00") != count - 1:
                raise ZebparseError("a country holds a NUL character", 3)
            per_row = (per_row + "\x00").encode()
        result, error = ctypes.c_void_p(), _Error()
        _check(_lib.zebparse_parse_batch(self._live(), _text(country, "country") or None,
                                         per_row, (joined + "\x00").encode(), count, layout,
                                         ctypes.byref(result), ctypes.byref(error)), error)
        return _take_packed(result), refused

    def process(self, record):
        """Runs one record (element codes to values: {"ADDR1": ..., "CITY": ...}) through
        the plug-in and returns the result record: each code's value, or the list of its
        values when the result carries the code more than once. Keys that are no element
        code (lower case, "id") are left out of the record."""
        items = [(k, v) for k, v in record.items()
                 if v is not None and isinstance(k, str) and _ELEMENT_CODE.match(k)]
        keep = [(_text(k, "code"), _text(v, f"value of {k}")) for k, v in items]
        elements = (_Element * max(len(keep), 1))(*[_Element(k, v) for k, v in keep])
        result, error = ctypes.c_void_p(), _Error()
        _check(_lib.zebparse_process(self._live(), elements, len(keep), ctypes.byref(result),
                                     ctypes.byref(error)), error)
        out = {}
        for item in _take_packed(result).split(_RECORD)[:-1]:
            code, value = item.split(_UNIT, 1)
            if code not in out:
                out[code] = value
            elif isinstance(out[code], list):
                out[code].append(value)
            else:
                out[code] = [out[code], value]
        return out


def parse_column(column, parser=None, country=None, countries=None):
    """A pandas DataFrame with one column per field (see FIELDS) and "error", indexed like
    `column` (a pandas Series of one-line addresses; missing values parse as empty)."""
    import pandas as pd

    parser = parser or shared_parser()
    columns, messages = parser.parse_columns(list(column), country,
                                             None if countries is None else list(countries))
    frame = pd.DataFrame(dict(zip(FIELDS, columns)), index=column.index)
    frame["error"] = messages
    return frame


_shared = None


def shared_parser():
    """This process's parser on the default support directory, opened on first use: what
    a worker process of Dask or Spark keeps for all its partitions."""
    global _shared
    if _shared is None:
        _shared = Parser()
    return _shared
