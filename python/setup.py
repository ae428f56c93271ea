"""Builds the native module with the project's CMake build, then packages it with the Python files."""

import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE_TREE = pathlib.Path(__file__).resolve().parent.parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build_dir = pathlib.Path(self.build_temp).resolve() / "cmake"
        options = {"CMAKE_BUILD_TYPE": "Release", "Python3_EXECUTABLE": sys.executable, "PLATE_BUILD_TESTS": "OFF",
                   "PLATE_BUILD_BENCH": "OFF", "PLATE_BUILD_TOOLS": "OFF", "PLATE_BUILD_QT": "OFF"}
        subprocess.run(["cmake", "-S", SOURCE_TREE, "-B", build_dir, *(f"-D{k}={v}" for k, v in options.items())],
                       check=True)
        subprocess.run(["cmake", "--build", build_dir, "--target", "_platereader", "-j2"], check=True)
        built = build_dir / "python" / "platereader"
        target = pathlib.Path(self.get_ext_fullpath(ext.name)).parent
        target.mkdir(parents=True, exist_ok=True)
        shutil.copy2(next(built.glob("_platereader*.so")), self.get_ext_fullpath(ext.name))
        shutil.copy2(built / "EBMPlog00.pat", target / "EBMPlog00.pat")


setup(ext_modules=[Extension("platereader._platereader", [])], cmdclass={"build_ext": CMakeBuild})
