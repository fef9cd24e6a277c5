@echo off
rem Opens the notes in the default editor.
start "" "%~dp0..\Kelp Notes.txt"
